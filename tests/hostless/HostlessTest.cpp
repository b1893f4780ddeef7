// A host without Qt: the first control creates the application object on the
// calling thread, without a display it draws offscreen, and forms work as usual.
#include <QApplication>

#include <gtest/gtest.h>

#include "platform/Forms.h"
#include "platform/StdCtrls.h"

namespace kv {
namespace {

TEST(Hostless, TheFirstControlCreatesTheApplicationAndFormsWork) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    ::unsetenv("QT_QPA_PLATFORM");
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    auto* form = TForm::Create<TForm>(nullptr);
    ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
    EXPECT_EQ(QGuiApplication::platformName(), "offscreen");
    auto* edit = CreateNamed<TEdit>(form, "ed1");
    edit->SetParent(form);
    form->Show();
    EXPECT_EQ(form->ActiveControl(), edit);
    EnsureApplication();  // a second call keeps the same application
    EXPECT_EQ(QCoreApplication::instance(), qApp);
    form->Free();
}

}  // namespace
}  // namespace kv
