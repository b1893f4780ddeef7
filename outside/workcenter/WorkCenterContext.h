// What the work-center object and its three services share: the resolved options,
// the interface language and the sample database.
#pragma once

#include <QString>

#include <memory>
#include <optional>
#include <string_view>

#include "SampleDatabase.h"
#include "WorkCenter.h"

namespace kv::workcenter {

enum class Language { Simplified, Traditional, English };

// "936"/"chs", "950"/"cht", "437"/"eng" in any case; nullopt for anything else.
std::optional<Language> ParseLanguage(std::string_view text);
// The code-page name of a language: "936", "950" or "437".
const char* LanguageCode(Language language);
// One of three texts (UTF-8 literals) by language.
QString Pick(Language language, const char* simplified, const char* traditional, const char* english);

class TWorkCenterContext {
public:
    explicit TWorkCenterContext(const WorkCenterOptions& options);

    Language CurrentLanguage() const { return language_; }
    void SetLanguage(Language language) { language_ = language; }
    int ProductID() const { return productId_; }
    int VersionType() const { return versionType_; }
    const QString& UpdateFolder() const { return updateFolder_; }
    const QString& HelpFolder() const { return helpFolder_; }
    const QString& SchemeStorePath() const { return schemeStorePath_; }
    TSampleDatabase& Database() { return database_; }

    // Runs a modal dialog through the configured seam.
    int RunModal(QDialog& dialog) const;
    bool OpenUrl(const std::string& url) const;

private:
    Language language_ = Language::Simplified;
    int productId_ = 1;
    int versionType_ = 1;
    QString updateFolder_;
    QString helpFolder_;
    QString schemeStorePath_;
    ModalRunner runModal_;
    UrlOpener openUrl_;
    TSampleDatabase database_;
};

using ContextPtr = std::shared_ptr<TWorkCenterContext>;

}  // namespace kv::workcenter
