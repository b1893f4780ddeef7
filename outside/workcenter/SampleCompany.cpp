#include "SampleCompany.h"

#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <initializer_list>
#include <vector>

#include "SampleDatabase.h"

namespace kv::workcenter {
namespace {

using Row = std::vector<const char*>;

const char* const kSchema[] = {
    // System settings; company "" holds the values every company shares, a
    // company's own row overrides one.
    "CREATE TABLE IF NOT EXISTS KVNSYS (SY001 TEXT NOT NULL DEFAULT '', SY002 TEXT NOT NULL,"
    " SY003 TEXT NOT NULL DEFAULT '', SY004 TEXT NOT NULL DEFAULT '', PRIMARY KEY (SY001, SY002))",
    // Companies.
    "CREATE TABLE IF NOT EXISTS TAXMA (MA001 TEXT PRIMARY KEY, MA002 TEXT NOT NULL DEFAULT '',"
    " MA003 TEXT NOT NULL DEFAULT '', MA004 TEXT NOT NULL DEFAULT '', MA005 TEXT NOT NULL DEFAULT '',"
    " MA006 TEXT NOT NULL DEFAULT '', MA007 TEXT NOT NULL DEFAULT '')",
    // Departments.
    "CREATE TABLE IF NOT EXISTS CMSME (ME001 TEXT PRIMARY KEY, ME002 TEXT NOT NULL DEFAULT '',"
    " ME003 TEXT NOT NULL DEFAULT '', ME004 TEXT NOT NULL DEFAULT '', ME005 TEXT NOT NULL DEFAULT '')",
    // Employees.
    "CREATE TABLE IF NOT EXISTS CMSMV (MV001 TEXT PRIMARY KEY, MV002 TEXT NOT NULL DEFAULT '',"
    " MV003 TEXT NOT NULL DEFAULT '', MV004 TEXT NOT NULL DEFAULT '', MV005 TEXT NOT NULL DEFAULT '',"
    " MV006 TEXT NOT NULL DEFAULT '', MV007 TEXT NOT NULL DEFAULT '', MV008 TEXT NOT NULL DEFAULT '',"
    " MV009 TEXT NOT NULL DEFAULT '')",
    // Payroll settings; company "" is the database's own setting.
    "CREATE TABLE IF NOT EXISTS PALMA (MA001 TEXT PRIMARY KEY, MA002 TEXT NOT NULL DEFAULT '',"
    " MA003 TEXT NOT NULL DEFAULT '', MA004 TEXT NOT NULL DEFAULT 'N', MA005 TEXT NOT NULL DEFAULT '',"
    " MA006 TEXT NOT NULL DEFAULT '')",
    // Programs.
    "CREATE TABLE IF NOT EXISTS ADMMB (MB001 TEXT PRIMARY KEY, MB002 TEXT NOT NULL DEFAULT '',"
    " MB003 TEXT NOT NULL DEFAULT '', MB004 TEXT NOT NULL DEFAULT '', MB005 TEXT NOT NULL DEFAULT 'N',"
    " MB006 TEXT NOT NULL DEFAULT '', MB007 TEXT NOT NULL DEFAULT '', MB008 TEXT NOT NULL DEFAULT '',"
    " MB009 TEXT NOT NULL DEFAULT 'N')",
    // Footers (type 1) and sign-offs (type 2).
    "CREATE TABLE IF NOT EXISTS CMSMS (MS001 TEXT NOT NULL, MS002 TEXT NOT NULL, MS003 TEXT NOT NULL DEFAULT '',"
    " MS004 TEXT NOT NULL DEFAULT '', MS005 TEXT NOT NULL DEFAULT '', MS006 TEXT NOT NULL DEFAULT '',"
    " PRIMARY KEY (MS001, MS002))",
    // Report settings per program: default footer and sign-off, each with its switch.
    "CREATE TABLE IF NOT EXISTS CMSMT (MT001 TEXT PRIMARY KEY, MT002 TEXT NOT NULL DEFAULT '',"
    " MT003 TEXT NOT NULL DEFAULT 'Y', MT004 TEXT NOT NULL DEFAULT '', MT005 TEXT NOT NULL DEFAULT 'Y')",
    // Configuration entries by section.
    "CREATE TABLE IF NOT EXISTS CMSMA (MA001 TEXT NOT NULL, MA002 TEXT NOT NULL DEFAULT '',"
    " MA003 TEXT NOT NULL DEFAULT '', MA004 TEXT NOT NULL DEFAULT '', PRIMARY KEY (MA001, MA002))",
    // Users.
    "CREATE TABLE IF NOT EXISTS KVNMA (MA001 TEXT PRIMARY KEY, MA002 TEXT NOT NULL DEFAULT '',"
    " MA003 TEXT NOT NULL DEFAULT '', MA004 TEXT NOT NULL DEFAULT '', MA005 TEXT NOT NULL DEFAULT '',"
    " MA006 TEXT NOT NULL DEFAULT '')",
    // Integration settings (the web portal).
    "CREATE TABLE IF NOT EXISTS KVNINTMA (MA001 TEXT PRIMARY KEY, MA002 TEXT NOT NULL DEFAULT '',"
    " MA003 TEXT NOT NULL DEFAULT '')",
    // Phrases; user "" are everyone's.
    "CREATE TABLE IF NOT EXISTS KVNPH (PH001 TEXT NOT NULL DEFAULT '', PH002 INTEGER NOT NULL,"
    " PH003 TEXT NOT NULL DEFAULT '', PRIMARY KEY (PH001, PH002))",
};

void Insert(QSqlDatabase& db, const char* table, int columns, std::initializer_list<Row> rows) {
    QString marks;
    for (int i = 0; i < columns; ++i) marks += i ? QStringLiteral(",?") : QStringLiteral("?");
    QSqlQuery q(db);
    PrepareOrThrow(q, QStringLiteral("INSERT OR IGNORE INTO %1 VALUES (%2)").arg(QLatin1String(table), marks));
    for (const Row& row : rows) {
        for (int i = 0; i < columns; ++i)
            q.bindValue(i, i < static_cast<int>(row.size()) ? QString::fromUtf8(row[static_cast<std::size_t>(i)])
                                                            : QStringLiteral(""));
        ExecOrThrow(q);
    }
}

void InsertSettings(QSqlDatabase& db) {
    Insert(db, "KVNSYS", 4,
           {
               {"", "Sys001", "1", "日期格式: 1 年月日 2 月日年 3 日月年 4/5 民国年月日"},
               {"", "Sys002", "/", "日期分隔符"},
               {"", "KVN002", "芬摩示范公司", "系统名称"},
               {"", "SYS007", "商品大类", "商品分类方式一"},
               {"", "SYS008", "商品中类", "商品分类方式二"},
               {"", "SYS009", "商品小类", "商品分类方式三"},
               {"", "SYS010", "商品品牌", "商品分类方式四"},
               {"", "SYS026", "2", "日期格式: 2 不使用民国年"},
               {"", "SYS181", "Y", "使用web报表"},
               {"C02", "Sys001", "4", "日期格式: 民国年月日"},
               {"C02", "KVN002", "芬摩台灣分公司", "系統名稱"},
               {"C02", "SYS026", "1", "日期格式: 可用民國年"},
           });
}

void InsertOrganisation(QSqlDatabase& db) {
    Insert(db, "TAXMA", 7,
           {
               {"C01", "芬摩科技股份有限公司", "芬摩科技", "91310000MA1K4X2P3Q", "上海市浦东新区张江路 88 号",
                "021-58881234", "Fenmor Technology Co., Ltd."},
               {"C02", "芬摩科技股份有限公司台灣分公司", "芬摩台灣", "53810247", "台北市信義區松仁路 100 號",
                "02-27201234", "Fenmor Technology Taiwan Branch"},
               {"C03", "苏州芬摩电子有限公司", "苏州芬摩", "91320594MA1N7Y5K8D", "苏州工业园区星湖街 218 号",
                "0512-62881234", "Suzhou Fenmor Electronics Co., Ltd."},
           });
    Insert(db, "CMSME", 5,
           {
               {"D01", "总经理室", "C01", "E0001", "General Manager's Office"},
               {"D02", "财务部", "C01", "E0003", "Finance"},
               {"D03", "人力资源部", "C01", "E0005", "Human Resources"},
               {"D04", "研发部", "C01", "E0007", "Research and Development"},
               {"D05", "生产部", "C01", "E0010", "Production"},
               {"T01", "業務部", "C02", "E0101", "Sales"},
               {"T02", "管理部", "C02", "E0103", "Administration"},
               {"S01", "制造一课", "C03", "E0201", "Manufacturing 1"},
               {"S02", "品质保证课", "C03", "E0203", "Quality Assurance"},
           });
    Insert(db, "CMSMV", 9,
           {
               {"E0001", "张伟", "C01", "D01", "总经理", "20080301", "13800000001", "zhang.wei@fenmor.example", "Zhang Wei"},
               {"E0002", "王芳", "C01", "D01", "秘书", "20150701", "13800000002", "wang.fang@fenmor.example", "Wang Fang"},
               {"E0003", "李娜", "C01", "D02", "财务经理", "20100115", "13800000003", "li.na@fenmor.example", "Li Na"},
               {"E0004", "刘洋", "C01", "D02", "会计", "20180402", "13800000004", "liu.yang@fenmor.example", "Liu Yang"},
               {"E0005", "陈静", "C01", "D03", "人事经理", "20120910", "13800000005", "chen.jing@fenmor.example", "Chen Jing"},
               {"E0006", "杨磊", "C01", "D03", "薪资专员", "20190601", "13800000006", "yang.lei@fenmor.example", "Yang Lei"},
               {"E0007", "赵敏", "C01", "D04", "研发经理", "20110520", "13800000007", "zhao.min@fenmor.example", "Zhao Min"},
               {"E0008", "黄勇", "C01", "D04", "工程师", "20200303", "13800000008", "huang.yong@fenmor.example", "Huang Yong"},
               {"E0009", "周杰", "C01", "D04", "工程师", "20210817", "13800000009", "zhou.jie@fenmor.example", "Zhou Jie"},
               {"E0010", "吴秀英", "C01", "D05", "生产经理", "20090112", "13800000010", "wu.xiuying@fenmor.example", "Wu Xiuying"},
               {"E0011", "徐明", "C01", "D05", "组长", "20170225", "13800000011", "xu.ming@fenmor.example", "Xu Ming"},
               {"E0101", "陳美玲", "C02", "T01", "業務經理", "20130401", "0912000101", "chen.meiling@fenmor.example", "Chen Mei-ling"},
               {"E0102", "林志豪", "C02", "T01", "業務專員", "20190916", "0912000102", "lin.chihhao@fenmor.example", "Lin Chih-hao"},
               {"E0103", "黃淑芬", "C02", "T02", "管理師", "20140303", "0912000103", "huang.shufen@fenmor.example", "Huang Shu-fen"},
               {"E0104", "張家豪", "C02", "T02", "會計", "20220110", "0912000104", "chang.chiahao@fenmor.example", "Chang Chia-hao"},
               {"E0201", "孙丽", "C03", "S01", "课长", "20160509", "13900000201", "sun.li@fenmor.example", "Sun Li"},
               {"E0202", "马强", "C03", "S01", "作业员", "20230220", "13900000202", "ma.qiang@fenmor.example", "Ma Qiang"},
               {"E0203", "朱红", "C03", "S02", "品管员", "20181011", "13900000203", "zhu.hong@fenmor.example", "Zhu Hong"},
           });
    Insert(db, "PALMA", 6,
           {
               {"", "05", "15", "Y", "CNY", "本数据库的薪资设置: 半月发薪"},
               {"C01", "05", "15", "Y", "CNY", "芬摩科技: 半月发薪"},
               {"C02", "10", "", "N", "TWD", "芬摩台灣: 月薪"},
               {"C03", "08", "", "N", "CNY", "苏州芬摩: 月薪"},
           });
}

void InsertPrograms(QSqlDatabase& db) {
    Insert(db, "ADMMB", 9,
           {
               {"HRWR07", "薪资明细表", "HRW", "R", "Y", "881013-0.00.01", "HRWR07C.so", "Payroll Detail Report", "N"},
               {"HRWR01", "员工花名册", "HRW", "R", "N", "1.0", "HRWR01C.so", "Employee Roster", "N"},
               {"HRWR02", "部门人数统计表", "HRW", "R", "N", "1.0", "HRWR02C.so", "Headcount by Department", "Y"},
               {"HRWB01", "薪资计算", "HRW", "B", "Y", "1.0", "HRWB01C.so", "Payroll Calculation", "N"},
           });
    Insert(db, "CMSMS", 6,
           {
               {"1", "F01", "标准页脚", "本报表仅供公司内部使用", "打印人: ________", "如有疑问请联系人力资源部"},
               {"1", "F02", "机密页脚", "机密文件 请勿外传", "阅后请妥善保管", ""},
               {"1", "F03", "台灣頁尾", "本報表僅供公司內部使用", "列印人: ________", ""},
               {"2", "S01", "三级签核", "制表:", "审核:", "核准:"},
               {"2", "S02", "两级签核", "经办:", "主管:", ""},
               {"2", "S03", "台灣簽核", "製表:", "覆核:", "核准:"},
           });
    Insert(db, "CMSMT", 5,
           {
               {"HRWR07", "F01", "Y", "S01", "Y"},
               {"HRWR01", "F02", "N", "S02", "N"},
               {"HRWR02", "F01", "Y", "", "N"},
           });
    Insert(db, "CMSMA", 4,
           {
               {"WebReportConfig", "", "http://127.0.0.1:8080/WebReport", "默认报表网站"},
               {"WebReportConfig", "C02", "http://127.0.0.1:8080/WebReportTW", "台灣分公司報表網站"},
           });
}

void InsertUsers(QSqlDatabase& db) {
    Insert(db, "KVNMA", 6,
           {
               {"DS", "系统管理员", "13800009999", "admin@fenmor.example", "C01", "Administrator"},
               {"E0005", "陈静", "13800000005", "chen.jing@fenmor.example", "C01", "Chen Jing"},
               {"E0006", "杨磊", "13800000006", "yang.lei@fenmor.example", "C01", "Yang Lei"},
               {"E0103", "黃淑芬", "0912000103", "huang.shufen@fenmor.example", "C02", "Huang Shu-fen"},
               {"E0201", "孙丽", "13900000201", "sun.li@fenmor.example", "C03", "Sun Li"},
           });
    Insert(db, "KVNINTMA", 3,
           {
               {"StartupPortal", "是否使用 Portal", "N"},
               {"Portal WS", "Portal Web Service 地址", ""},
           });
    Insert(db, "KVNPH", 3,
           {
               {"", "1", "本月薪资已核对无误"},
               {"", "2", "请于本周五前回复"},
               {"", "3", "如有疑问请联系人力资源部"},
               {"", "4", "薪資資料僅供內部參考"},
               {"DS", "1", "月底结账前请再确认一次"},
           });
}

}  // namespace

int SampleSchemaVersion() { return 1; }

void CreateSampleCompany(QSqlDatabase& db) {
    for (const char* statement : kSchema) {
        QSqlQuery q(db);
        PrepareOrThrow(q, QString::fromUtf8(statement));
        ExecOrThrow(q);
    }
    InsertSettings(db);
    InsertOrganisation(db);
    InsertPrograms(db);
    InsertUsers(db);
}

}  // namespace kv::workcenter
