#include "MessageCatalogue.h"

#include <QHash>

namespace kv::workcenter {
namespace {

struct TMessage {
    const char* Key;
    const char* Simplified;
    const char* Traditional;
    const char* English;
};

// Parameters, where a message has them, are named beside it.
const TMessage kMessages[] = {
    // the text of "I" "000008" (what was not found)
    {"E000001", "%s不存在！", "%s不存在！", "%s does not exist!"},
    // none, or the texts of "I" "000009" and "I" "000010"
    {"E000005", "日期或时间格式不正确，请重新输入！%s %s", "日期或時間格式不正確，請重新輸入！%s %s",
     "The date or time is not valid, please enter it again! %s %s"},
    {"E000006", "无法连接应用服务器！", "無法連接應用伺服器！", "Cannot connect to the application server!"},
    // the server's error description
    {"E000013", "服务器处理失败：%s", "伺服器處理失敗：%s", "The server refused the request: %s"},
    {"E000015", "无法读取系统注册信息！", "無法讀取系統登錄資訊！", "Cannot read the system's registry settings!"},
    {"E000016", "客户端配置没有指定应用服务器！", "用戶端設定沒有指定應用伺服器！",
     "The client configuration names no application server!"},
    // the text of "I" "000011"
    {"E000030", "无法设置基本选项！%s", "無法設定基本選項！%s", "Cannot fill in the base options! %s"},
    {"E000036", "此窗体不属于本程序！", "此視窗不屬於本程式！", "This form does not belong to the program!"},
    {"E000037", "必须输入的栏位不可空白！", "必須輸入的欄位不可空白！", "A required field is empty!"},
    {"E000038", "主程序传入的参数不足！", "主程式傳入的參數不足！", "The host passed too few parameters!"},
    // the captions of the end day and of the start day
    {"E100082", "%s不可早于%s！", "%s不可早於%s！", "%s may not lie before %s!"},
    // one empty parameter
    {"I000003", "没有可执行的条件！%s", "沒有可執行的條件！%s", "There are no conditions to run! %s"},
    // the job number
    {"I000004", "作业已送出，作业编号：%s", "作業已送出，作業編號：%s", "The job has been submitted, job number: %s"},
    {"I000005", "请至少选择一种输出方式！", "請至少選擇一種輸出方式！", "Please choose at least one kind of output!"},
    {"I000008", "输入的资料", "輸入的資料", "The value entered"},
    {"I000009", "执行日期", "執行日期", "Run date"},
    {"I000010", "执行时间", "執行時間", "Run time"},
    {"I000011", "请检查打印日期。", "請檢查列印日期。", "Please check the print date."},
    // section caption, expected count, upper bound
    {"W000002", "%s的项数应为%s，实际为%s！", "%s的項數應為%s，實際為%s！", "%s: %s entries were expected, not %s!"},
    // section caption, expected count, index of the empty entry
    {"W000003", "%s（共%s项）的第%s项没有值！", "%s（共%s項）的第%s項沒有值！", "%s (%s entries): entry %s has no value!"},
    // what was not found: the text of "I" "000008", "R" "100235" or "R" "100236"
    {"W000004", "%s不存在，请重新输入！", "%s不存在，請重新輸入！", "%s does not exist, please enter it again!"},
    {"W000014", "主程序指定的栏位无法设置值！", "主程式指定的欄位無法設定值！",
     "The host named fields that cannot take a value!"},
    {"R100235", "页脚", "頁尾", "Footer"},
    {"R100236", "签核", "簽核", "Sign-off"},
    {"R200235", "方案内容与本画面不符，无法开启！", "方案內容與本畫面不符，無法開啟！",
     "The scheme does not fit this form and cannot be opened!"},
};

const TMessage* Find(const QString& kind, const QString& id) {
    static const QHash<QString, const TMessage*> byKey = [] {
        QHash<QString, const TMessage*> map;
        for (const TMessage& m : kMessages) map.insert(QString::fromLatin1(m.Key), &m);
        return map;
    }();
    const QString key = MessageKey(kind, id);
    return key.isEmpty() ? nullptr : byKey.value(key, nullptr);
}

// The kind and id as they may appear in a text that is formatted afterwards: no
// "%" and nothing unprintable.
QString Printable(const QString& s) {
    QString out;
    for (const QChar c : s.left(12))
        if (c.isLetterOrNumber() || c == u'-') out += c;
    return out;
}

}  // namespace

QString MessageKey(const QString& kind, const QString& id) {
    const QString k = kind.trimmed().toUpper();
    QString digits = id.trimmed();
    if (digits.startsWith(u'-')) digits.remove(0, 1);
    if (k.size() != 1 || !k[0].isLetter() || digits.isEmpty() || digits.size() > 6) return {};
    for (const QChar c : digits)
        if (c < u'0' || c > u'9') return {};
    return k + digits.rightJustified(6, u'0');
}

bool HasMessage(const QString& kind, const QString& id) { return Find(kind, id) != nullptr; }

QString MessageText(Language language, const QString& kind, const QString& id) {
    if (const TMessage* m = Find(kind, id)) return Pick(language, m->Simplified, m->Traditional, m->English);
    const QString code = Printable(kind) + u' ' + Printable(id);
    return Pick(language, "信息库中没有此信息：", "訊息庫中沒有此訊息：", "No such message in the catalogue: ") + code;
}

}  // namespace kv::workcenter
