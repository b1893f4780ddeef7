#include "WorkCenterContext.h"

#include <QDesktopServices>
#include <QDialog>
#include <QUrl>

#include <cstdio>
#include <cstdlib>

#include "HostScript.h"
#include "WorkCenterText.h"

namespace kv::workcenter {
namespace {

QString EnvOr(const std::string& given, const char* env, const QString& fallback) {
    if (!given.empty()) return QString::fromStdString(given);
    const QString fromEnv = qEnvironmentVariable(env);
    return fromEnv.isEmpty() ? fallback : fromEnv;
}

Language ResolveLanguage(const std::string& given) {
    const std::string text = !given.empty() ? given : qEnvironmentVariable("KVN_LANGUAGE").toStdString();
    if (text.empty()) return Language::Simplified;
    if (const std::optional<Language> l = ParseLanguage(text)) return *l;
    std::fprintf(stderr, "FenmorWorkCenter: unknown language \"%s\", using 936\n", text.c_str());
    return Language::Simplified;
}

ModalRunner ResolveRunner(const ModalRunner& given) {
    if (given) return given;
    const QString script = qEnvironmentVariable("KVN_HOST_SCRIPT");
    if (!script.isEmpty()) {
        QStringList problems;
        auto answers = std::make_shared<THostScript>(THostScript::Load(script, &problems));
        for (const QString& p : problems)
            std::fprintf(stderr, "FenmorWorkCenter: KVN_HOST_SCRIPT: %s\n", p.toUtf8().constData());
        return [answers](QDialog& dialog) { return answers->Run(dialog); };
    }
    return [](QDialog& dialog) { return dialog.exec(); };
}

// A scripted (headless) run has no one to read a help page: it says which one it
// would have shown.
UrlOpener ResolveOpener(const UrlOpener& given) {
    if (given) return given;
    if (!qEnvironmentVariable("KVN_HOST_SCRIPT").isEmpty()) {
        return [](const std::string& url) {
            std::fprintf(stderr, "FenmorWorkCenter: help page %s\n", url.c_str());
            return true;
        };
    }
    return [](const std::string& url) { return QDesktopServices::openUrl(QUrl(QString::fromStdString(url))); };
}

}  // namespace

std::optional<Language> ParseLanguage(std::string_view text) {
    const QString t = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).trimmed().toLower();
    if (t == QLatin1String("936") || t == QLatin1String("chs")) return Language::Simplified;
    if (t == QLatin1String("950") || t == QLatin1String("cht")) return Language::Traditional;
    if (t == QLatin1String("437") || t == QLatin1String("eng")) return Language::English;
    return std::nullopt;
}

const char* LanguageCode(Language language) {
    switch (language) {
    case Language::Traditional: return "950";
    case Language::English: return "437";
    default: return "936";
    }
}

QString Pick(Language language, const char* simplified, const char* traditional, const char* english) {
    switch (language) {
    case Language::Traditional: return QString::fromUtf8(traditional);
    case Language::English: return QString::fromUtf8(english);
    default: return QString::fromUtf8(simplified);
    }
}

TWorkCenterContext::TWorkCenterContext(const WorkCenterOptions& options)
    : language_(ResolveLanguage(options.Language)),
      productId_(options.ProductID),
      versionType_(options.VersionType),
      updateFolder_(EnvOr(options.UpdateFolder, "KVN_UPDATE_DIR", QString())),
      helpFolder_(EnvOr(options.HelpFolder, "KVN_HELP_DIR", QString::fromStdString(DataFolder()) + "/Help")),
      schemeStorePath_(EnvOr(options.SchemeStorePath, "KVN_APPSERVER_DB",
                             QString::fromStdString(DataFolder()) + "/appserver.sqlite")),
      runModal_(ResolveRunner(options.RunModal)),
      openUrl_(ResolveOpener(options.OpenUrl)),
      database_(QString::fromStdString(options.DatabasePath.empty() ? SampleDatabasePath() : options.DatabasePath)) {}

int TWorkCenterContext::RunModal(QDialog& dialog) const { return runModal_(dialog); }

bool TWorkCenterContext::OpenUrl(const std::string& url) const { return openUrl_(url); }

}  // namespace kv::workcenter
