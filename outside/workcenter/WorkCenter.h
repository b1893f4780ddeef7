// The host's work-center object "FenmorWorkCenter.Manager" for a host that links it
// directly (target kv_workcenter). FenmorWorkCenter.so serves the same object to
// CreateOleObject through the registry file.
//
// The object answers the plug-in's late-bound calls: VersionType, ProductID,
// Language, Com_Counter, Com_Validator, Com_F2Window, GetMessage, CallHelp and
// GetFileList; its services read a SQLite sample company database that is created
// on first use.
#pragma once

#include <functional>
#include <string>

#include "kv/Variant.h"

class QDialog;

namespace kv {

inline constexpr const char* kWorkCenterProgId = "FenmorWorkCenter.Manager";

// Runs a modal dialog and returns its result (QDialog::Accepted or Rejected).
// Tests and headless runs answer the dialog themselves instead of blocking.
using ModalRunner = std::function<int(QDialog&)>;
// Shows a help page; false when it could not.
using UrlOpener = std::function<bool(const std::string& url)>;

struct WorkCenterOptions {
    // The sample company database; "" means SampleDatabasePath().
    std::string DatabasePath;
    // "936", "950", "437" or "chs", "cht", "eng"; "" means $KVN_LANGUAGE, else "936".
    std::string Language;
    int ProductID = 1;    // 5 would mark the basic edition
    int VersionType = 1;
    // Central copies of module files (<name>.zip) for GetFileList; "" means
    // $KVN_UPDATE_DIR, and without it no central copies are known.
    std::string UpdateFolder;
    // Help pages <folder>/<prefix>/<topic>.html; "" means $KVN_HELP_DIR, else
    // DataFolder() + "/Help".
    std::string HelpFolder;
    // The application server's store, where condition schemes live (table GENES);
    // "" means $KVN_APPSERVER_DB, else DataFolder() + "/appserver.sqlite".
    std::string SchemeStorePath;
    // Empty: the scripted answers of $KVN_HOST_SCRIPT when it is set, else
    // QDialog::exec().
    ModalRunner RunModal;
    // Empty: QDesktopServices::openUrl.
    UrlOpener OpenUrl;
};

// A new work-center object (a Dispatch Variant). Creates a QApplication when the
// process has none.
Variant CreateWorkCenterManager(const WorkCenterOptions& options = {});

// The installation's data folder: $XDG_DATA_HOME/kvn (~/.local/share/kvn), the
// folder the application server keeps its store in too.
std::string DataFolder();

// $KVN_SAMPLE_DB when set and not empty, else DataFolder() + "/FenmorSample.sqlite".
std::string SampleDatabasePath();

}  // namespace kv
