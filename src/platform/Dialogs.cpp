#include "platform/Dialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QStyle>

#include <algorithm>

#include "platform/ExtCtrls.h"
#include "platform/StdCtrls.h"

namespace kv {

namespace {

struct ButtonInfo {
    const char* Name;
    const char* Caption;
    TModalResult Result;
};

// In TMsgDlgBtn order, which is also the order the buttons stand in.
constexpr ButtonInfo kButtons[] = {
    {"Yes", "&Yes", mrYes},          {"No", "&No", mrNo},
    {"OK", "OK", mrOk},              {"Cancel", "Cancel", mrCancel},
    {"Abort", "&Abort", mrAbort},    {"Retry", "&Retry", mrRetry},
    {"Ignore", "&Ignore", mrIgnore}, {"All", "&All", mrAll},
    {"NoToAll", "N&o to All", mrNoToAll}, {"YesToAll", "Yes to &All", mrYesToAll},
    {"Help", "&Help", mrNone},
};

const char* TypeCaption(TMsgDlgType type) {
    switch (type) {
        case mtWarning: return "Warning";
        case mtError: return "Error";
        case mtInformation: return "Information";
        case mtConfirmation: return "Confirm";
        case mtCustom: break;
    }
    return nullptr;
}

QStyle::StandardPixmap TypeIcon(TMsgDlgType type) {
    switch (type) {
        case mtWarning: return QStyle::SP_MessageBoxWarning;
        case mtError: return QStyle::SP_MessageBoxCritical;
        case mtInformation: return QStyle::SP_MessageBoxInformation;
        default: return QStyle::SP_MessageBoxQuestion;
    }
}

// Classic dialog units in pixels, from the average width of the letters and the
// height of a line of the font.
QSize DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return QSize(metrics.horizontalAdvance(letters) / 52, metrics.height());
}

int MulDiv(int value, int numerator, int denominator) {
    return static_cast<int>((static_cast<long long>(value) * numerator + denominator / 2) / denominator);
}

// The layout constants of the classic dialog, in dialog units.
constexpr int kHorzMargin = 8;
constexpr int kVertMargin = 8;
constexpr int kHorzSpacing = 10;
constexpr int kVertSpacing = 10;
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 14;
constexpr int kButtonSpacing = 4;
constexpr int kIconSize = 32;

bool HasButton(TMsgDlgButtons buttons, TMsgDlgBtn b) { return (buttons & MsgDlgButton(b)) != 0; }

}  // namespace

QString MsgDlgButtonName(TMsgDlgBtn b) { return QString::fromLatin1(kButtons[b].Name); }
QString MsgDlgButtonCaption(TMsgDlgBtn b) { return QString::fromLatin1(kButtons[b].Caption); }
TModalResult MsgDlgButtonResult(TMsgDlgBtn b) { return kButtons[b].Result; }

// ---- TMessageForm -------------------------------------------------------------------

TMessageForm::TMessageForm(TComponent* AOwner) : TForm(AOwner) {
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetKeyPreview(true);
    OnKeyDown = Handler(this, &TMessageForm::CustomKeyDown);
}

TButton* TMessageForm::Button(TMsgDlgBtn b) const { return FButtons[b]; }

void TMessageForm::Build(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    FDialogType = type;
    const char* caption = TypeCaption(type);
    SetCaption(caption ? QString::fromLatin1(caption) : QGuiApplication::applicationDisplayName());
    if (type != mtCustom) {
        FImage = CreateNamed<TImage>(this, "Image");
        FImage->SetParent(this);
        const QIcon icon = QApplication::style()->standardIcon(TypeIcon(type));
        FImage->Picture()->Bitmap()->FromQImage(icon.pixmap(kIconSize, kIconSize).toImage());
    }
    FMessage = CreateNamed<TLabel>(this, "Message");
    FMessage->SetParent(this);
    // The text is shown as it is: an "&" in a message is no access key.
    FMessage->SetShowAccelChar(false);
    FMessage->SetAutoSize(false);
    FMessage->SetWordWrap(true);
    FMessage->SetCaption(text);

    const bool hasDefault = HasButton(buttons, mbOK) || HasButton(buttons, mbYes);
    const TMsgDlgBtn defaultButton = HasButton(buttons, mbOK) ? mbOK : hasDefault ? mbYes : mbRetry;
    const TMsgDlgBtn cancelButton = HasButton(buttons, mbCancel) ? mbCancel
                                    : HasButton(buttons, mbNo)   ? mbNo
                                                                 : mbOK;
    for (int i = mbYes; i <= mbHelp; ++i) {
        const auto b = static_cast<TMsgDlgBtn>(i);
        if (!HasButton(buttons, b)) continue;
        auto* button = CreateNamed<TButton>(this, MsgDlgButtonName(b));
        button->SetParent(this);
        button->SetCaption(MsgDlgButtonCaption(b));
        button->SetModalResult(MsgDlgButtonResult(b));
        if (b == defaultButton) button->SetDefault(true);
        if (b == cancelButton) button->SetCancel(true);
        FButtons[b] = button;
    }
    FBuilt = true;
    ArrangeControls();
}

void TMessageForm::ArrangeControls() {
    if (!FBuilt) return;
    const QSize du = DialogUnits(Font()->ToQFont());
    const int horzMargin = MulDiv(kHorzMargin, du.width(), 4);
    const int vertMargin = MulDiv(kVertMargin, du.height(), 8);
    const int horzSpacing = MulDiv(kHorzSpacing, du.width(), 4);
    const int vertSpacing = MulDiv(kVertSpacing, du.height(), 8);
    const int buttonHeight = MulDiv(kButtonHeight, du.height(), 8);
    const int buttonSpacing = MulDiv(kButtonSpacing, du.width(), 4);

    // Every button is as wide as the widest caption needs, at least the classic width.
    int buttonWidth = MulDiv(kButtonWidth, du.width(), 4);
    int buttonCount = 0;
    for (TButton* button : FButtons) {
        if (!button) continue;
        ++buttonCount;
        const QFontMetrics metrics(button->Font()->ToQFont());
        const int textWidth = metrics.boundingRect(QRect(), Qt::TextShowMnemonic, button->Caption()).width();
        // The platform's button frame may need more than the classic 8 pixels.
        buttonWidth = std::max({buttonWidth, textWidth + 8, button->PushButton()->sizeHint().width()});
    }

    // The text wraps at half the screen's width.
    FMessage->SetWidth(std::max(1, Screen()->Width() / 2));
    const QSize text = FMessage->TextExtent();
    int iconTextWidth = text.width();
    int iconTextHeight = text.height();
    if (FImage) {
        iconTextWidth += kIconSize + horzSpacing;
        iconTextHeight = std::max(iconTextHeight, kIconSize);
    }
    const int groupWidth = buttonWidth * buttonCount + buttonSpacing * std::max(0, buttonCount - 1);
    SetClientWidth(std::max(iconTextWidth, groupWidth) + horzMargin * 2);
    SetClientHeight(iconTextHeight + buttonHeight + vertSpacing + vertMargin * 2);

    if (FImage) FImage->SetBounds(horzMargin, vertMargin, kIconSize, kIconSize);
    FMessage->SetBounds(iconTextWidth - text.width() + horzMargin, vertMargin, text.width(), text.height());
    int x = (ClientWidth() - groupWidth) / 2;
    for (TButton* button : FButtons) {
        if (!button) continue;
        button->SetBounds(x, iconTextHeight + vertMargin + vertSpacing, buttonWidth, buttonHeight);
        x += buttonWidth + buttonSpacing;
    }
}

void TMessageForm::FontChanged() {
    TForm::FontChanged();
    // The text and the captions take another size in another font.
    ArrangeControls();
}

QString TMessageForm::GetFormText() const {
    const QString divider = QString(27, QLatin1Char('-')) + QStringLiteral("\r\n");
    QString captions;
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* button = qobject_cast<TButton*>(Components(i))) captions += button->Caption() + QStringLiteral("   ");
    captions.remove(QLatin1Char('&'));
    return divider + Caption() + QStringLiteral("\r\n") + divider + (FMessage ? FMessage->Caption() : QString()) +
           QStringLiteral("\r\n") + divider + captions + QStringLiteral("\r\n") + divider;
}

void TMessageForm::CustomKeyDown(TObject*, std::uint16_t& key, TShiftState shift) {
    if (shift == TShiftState(ssCtrl) && key == 'C') {
        QGuiApplication::clipboard()->setText(GetFormText());
        key = 0;
    }
}

// ---- functions ----------------------------------------------------------------------

TForm* CreateMessageDialog(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    auto* form = TForm::Create<TMessageForm>(nullptr);
    form->Build(text, type, buttons);
    return form;
}

TModalResult MessageDlgPos(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext, int x,
                           int y) {
    TForm* form = CreateMessageDialog(text, type, buttons);
    QPointer<TForm> alive(form);
    form->HelpContext = helpContext;
    if (x >= 0 || y >= 0) {
        form->SetPosition(poDesigned);
        if (x >= 0) form->SetLeft(x);
        if (y >= 0) form->SetTop(y);
    }
    TModalResult result = mrCancel;
    try {
        result = form->ShowModal();
    } catch (...) {
        if (alive) form->Free();
        throw;
    }
    if (alive) form->Free();
    return result;
}

TModalResult MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext) {
    return MessageDlgPos(text, type, buttons, helpContext, -1, -1);
}

void ShowMessage(const QString& text) { MessageDlg(text, mtCustom, MsgDlgButton(mbOK), 0); }

}  // namespace kv
