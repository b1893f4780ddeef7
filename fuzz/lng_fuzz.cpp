// libFuzzer entry for the language-file reader: any bytes are either refused with
// a LanguageControllerError or parsed and applied to a small form without
// crashing; a combo box keeps its selection and string lists stay bounded.
#include "language/LanguageController.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/ComCtrls.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"

namespace {

struct SmallForm {
    SmallForm() : form(new kv::TForm(nullptr)) {
        form->SetName("frmFuzz");
        edit = kv::CreateNamed<kv::TEdit>(form, "edName");
        button = kv::CreateNamed<kv::TButton>(form, "btnOk");
        combo = kv::CreateNamed<kv::TComboBox>(form, "cbo01");
        combo->Items()->SetStrings({"a", "b"});
        combo->SetItemIndex(1);
        memo = kv::CreateNamed<kv::TMemo>(form, "meNote");
        list = kv::CreateNamed<kv::TListView>(form, "lvData");
        list->Columns()->Add();
        list->Items()->Add()->SubItems()->Add("x");
    }
    ~SmallForm() { form->Free(); }

    kv::TForm* form;
    kv::TEdit* edit;
    kv::TButton* button;
    kv::TComboBox* combo;
    kv::TMemo* memo;
    kv::TListView* list;
};

// Lines a file can add: padding up to the highest line index, plus what was there.
bool Bounded(const kv::TStrings* lines, int designed) { return lines->Count() <= kv::kMaxLangLineIndex + 1 + designed; }

}  // namespace

// Font names from the input reach the system's font matching, which caches what
// it looked up for the life of the process; that is not a leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The application object, fonts and styles are set up once, here, so their
    // lasting allocations are not taken for leaks of the first input.
    SmallForm warmUp;
    kv::TLangReader(kv::ParseLangText(QStringLiteral("<L><btnOk Caption='x' Font.Name='Tahoma'/></L>")))
        .ReadComponent(warmUp.form);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kv::TLangDocument document;
    try {
        document = kv::ParseLangBytes(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const kv::LanguageControllerError&) {
        return 0;
    }
    if (!document) std::abort();

    SmallForm f;
    kv::TLangReader reader(document);
    reader.SetExcludeNames({"meNote"});
    reader.ReadComponent(f.form);
    (void)reader.FindNode(QString::fromUtf8(document->document_element().name()));

    if (f.combo->Items()->Count() > 1 && f.combo->ItemIndex() != 1) std::abort();
    if (!Bounded(f.combo->Items(), 2) || !Bounded(f.memo->Lines(), 0)) std::abort();
    if (f.list->Columns()->Count() != 1 || f.list->Items()->Count() != 1) std::abort();
    return 0;
}
