#include "forms/BaseGeneU.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/CodePage.h"
#include "platform/DateTime.h"
#include "platform/Dialogs.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"
#include "runtime/CodeConverter.h"
#include "runtime/LibStrs.h"

namespace kv {

// ---- classic formatting --------------------------------------------------------

namespace {

[[noreturn]] void InvalidFormat(const QString& format) {
    throw EFormatError("Format '" + format.toStdString() + "' invalid or incompatible with argument");
}

QString DateText(double value) {
    int y = 0, m = 0, d = 0, h = 0, n = 0, s = 0, ms = 0;
    DecodeDateTime(value, y, m, d, h, n, s, ms);
    QString text = QString::asprintf("%04d/%02d/%02d", y, m, d);
    if (h != 0 || n != 0 || s != 0) text += QString::asprintf(" %02d:%02d:%02d", h, n, s);
    return text;
}

// The shortest text that reads back as the same number (15 significant digits).
QString GeneralFloatText(double value, int precision) {
    QString text = QString::number(value, 'g', precision).toUpper();
    // Exponents as the classic general format writes them: "1E20", "1E-7".
    const qsizetype e = text.indexOf(u'E');
    if (e < 0) return text;
    QString exponent = text.mid(e + 1);
    const bool negative = exponent.startsWith(u'-');
    if (exponent.startsWith(u'+') || negative) exponent.remove(0, 1);
    while (exponent.size() > 1 && exponent.startsWith(u'0')) exponent.remove(0, 1);
    return text.left(e + 1) + (negative ? QStringLiteral("-") : QString()) + exponent;
}

// "d.ddd...E+ddd" with `digits` significant digits and at least three exponent digits.
QString ScientificText(double value, int digits) {
    QString text = QString::number(value, 'E', std::max(digits, 1) - 1);
    const qsizetype e = text.indexOf(u'E');
    if (e < 0 || e + 2 > text.size()) return text;  // inf, nan
    QString exponent = text.mid(e + 2);
    while (exponent.size() < 3) exponent.prepend(u'0');
    return text.left(e + 2) + exponent;
}

QString GroupedText(double value, int decimals) {
    QString text = QString::number(std::fabs(value), 'f', decimals);
    const qsizetype point = text.indexOf(u'.');
    for (qsizetype i = (point < 0 ? text.size() : point) - 3; i > 0; i -= 3) text.insert(i, u',');
    return (value < 0 ? QStringLiteral("-") : QString()) + text;
}

QString BytesText(const std::string& bytes) {
    std::string utf8;
    if (CodePageToUnicode(bytes, SystemCodePage(), utf8)) return QString::fromStdString(utf8);
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// A variant as text, the way a variant passed to %s shows.
QString VariantText(const Variant& value, const QString& format) {
    switch (value.Type()) {
        case VarType::Empty:
        case VarType::Null: return {};
        case VarType::Bool: return value.ToBool() ? QStringLiteral("True") : QStringLiteral("False");
        case VarType::Int: return QString::number(value.ToInt());
        case VarType::Double: return GeneralFloatText(value.ToDouble(), 15);
        case VarType::Date: return DateText(value.ToDouble());
        case VarType::String: return QString::fromStdString(value.ToString());
        case VarType::Bytes: return BytesText(value.ToString());
        case VarType::Array:
        case VarType::Dispatch: break;
    }
    InvalidFormat(format);
}

std::int32_t VariantInt(const Variant& value, const QString& format) {
    try {
        return value.ToInt();
    } catch (const EVariantError&) {
        InvalidFormat(format);
    }
}

double VariantDouble(const Variant& value, const QString& format) {
    try {
        return value.ToDouble();
    } catch (const EVariantError&) {
        InvalidFormat(format);
    }
}

QString ZeroPadded(QString digits, int minDigits) {
    while (digits.size() < minDigits) digits.prepend(u'0');
    return digits;
}

class TFormatter {
public:
    TFormatter(const QString& format, const std::vector<Variant>& args) : FFormat(format), FArgs(args) {}

    QString Run() {
        QString result;
        while (FPos < FFormat.size()) {
            const QChar c = FFormat[FPos++];
            if (c != u'%') {
                result += c;
                continue;
            }
            if (AtEnd()) InvalidFormat(FFormat);
            if (FFormat[FPos] == u'%') {
                result += u'%';
                ++FPos;
                continue;
            }
            result += Placeholder();
        }
        return result;
    }

private:
    bool AtEnd() const { return FPos >= FFormat.size(); }

    const Variant& NextArg() {
        if (FArgIndex < 0 || static_cast<std::size_t>(FArgIndex) >= FArgs.size())
            throw EFormatError("No argument for format '" + FFormat.toStdString() + "'");
        return FArgs[static_cast<std::size_t>(FArgIndex++)];
    }

    // Digits, or "*" for the next argument; -1 when neither stands here.
    int Number() {
        if (!AtEnd() && FFormat[FPos] == u'*') {
            ++FPos;
            return VariantInt(NextArg(), FFormat);
        }
        int value = -1;
        while (!AtEnd() && FFormat[FPos].isDigit() && FFormat[FPos].unicode() < 128) {
            value = std::max(value, 0) * 10 + (FFormat[FPos].unicode() - '0');
            if (value > 1'000'000) InvalidFormat(FFormat);  // no width the screen could show
            ++FPos;
        }
        return value;
    }

    QString Placeholder() {
        int width = Number();
        if (!AtEnd() && FFormat[FPos] == u':') {
            ++FPos;
            FArgIndex = std::max(width, 0);
            width = -1;
        }
        bool left = false;
        if (width < 0 && !AtEnd() && FFormat[FPos] == u'-') {
            left = true;
            ++FPos;
        }
        if (width < 0) width = Number();
        int precision = -1;
        if (!AtEnd() && FFormat[FPos] == u'.') {
            ++FPos;
            precision = Number();
        }
        if (AtEnd()) InvalidFormat(FFormat);
        const QString text = Converted(FFormat[FPos++].toLower().toLatin1(), precision);
        if (text.size() >= width) return text;
        const QString padding(width - text.size(), u' ');
        return left ? text + padding : padding + text;
    }

    QString Converted(char type, int precision) {
        switch (type) {
            case 's': {
                const QString text = VariantText(NextArg(), FFormat);
                return precision >= 0 ? text.left(precision) : text;
            }
            case 'd': {
                const long long v = VariantInt(NextArg(), FFormat);
                const QString digits = ZeroPadded(QString::number(v < 0 ? -v : v), precision);
                return v < 0 ? u'-' + digits : digits;
            }
            case 'u': return ZeroPadded(QString::number(static_cast<std::uint32_t>(VariantInt(NextArg(), FFormat))), precision);
            case 'x':
                return ZeroPadded(QString::number(static_cast<std::uint32_t>(VariantInt(NextArg(), FFormat)), 16).toUpper(),
                                  precision);
            case 'f': return QString::number(VariantDouble(NextArg(), FFormat), 'f', precision < 0 ? 2 : precision);
            case 'n': return GroupedText(VariantDouble(NextArg(), FFormat), precision < 0 ? 2 : precision);
            case 'e': return ScientificText(VariantDouble(NextArg(), FFormat), precision < 0 ? 15 : precision);
            case 'g': return GeneralFloatText(VariantDouble(NextArg(), FFormat), precision <= 0 ? 15 : precision);
            default: InvalidFormat(FFormat);
        }
    }

    const QString& FFormat;
    const std::vector<Variant>& FArgs;
    qsizetype FPos = 0;
    int FArgIndex = 0;
};

}  // namespace

QString Format(const QString& format, const std::vector<Variant>& args) { return TFormatter(format, args).Run(); }

// ---- kinds, buttons and captions ----------------------------------------------

TMsgDlgType MessageKindType(const QString& kind) {
    if (kind == u"C" || kind == u"D" || kind == u"W") return mtWarning;
    if (kind == u"E") return mtError;
    if (kind == u"I") return mtInformation;
    if (kind == u"Q") return mtConfirmation;
    return mtCustom;
}

TMsgDlgButtons MessageKindButtons(const QString& kind) {
    if (kind == u"C" || kind == u"Q" || kind == u"W") return mbOKCancel;
    if (kind == u"D") return mbYesNoCancel;
    return MsgDlgButton(mbOK);
}

QString MessageButtonCaption(const QString& buttonName) {
    static const struct {
        const char16_t* Name;
        const char16_t* Caption;
    } kCaptions[] = {
        {u"Yes", u"是(&Y)"},      {u"No", u"否(&N)"},        {u"OK", u"确定"},
        {u"Cancel", u"取消"},     {u"Abort", u"中断(&A)"},   {u"Retry", u"重试(&R)"},
        {u"Ignore", u"忽略(&I)"}, {u"All", u"全部(&A)"},     {u"NoToAll", u"全否(&o)"},
        {u"YesToAll", u"全是(&A)"}, {u"Help", u"帮助(&H)"},
    };
    for (const auto& c : kCaptions)
        if (buttonName == QStringView(c.Name)) return QString::fromUtf16(c.Caption);
    return {};
}

void PostLeftButtonUp(TControl* control) {
    QWidget* widget = control ? control->Handle() : nullptr;
    if (!widget) return;
    if (QWidget::mouseGrabber() == widget) widget->releaseMouse();
    const QPointF local(0, 0);
    // Posted, not sent: it arrives after the dialog's own events, and Qt drops it
    // when the widget is gone by then.
    QCoreApplication::postEvent(widget, new QMouseEvent(QEvent::MouseButtonRelease, local, widget->mapToGlobal(local),
                                                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
}

IGeneMessageSite::~IGeneMessageSite() = default;

// ---- the message path -----------------------------------------------------------

namespace {

const QString kCodeSeparator = QStringLiteral(";");
const QString kLogSeparator = QStringLiteral("; ");

// Blanks and control characters off both ends, as the classic Trim does.
QString TrimControls(const QString& text) {
    qsizetype first = 0, last = text.size();
    while (first < last && text[first].unicode() <= ' ') ++first;
    while (last > first && text[last - 1].unicode() <= ' ') --last;
    return text.mid(first, last - first);
}

// The catalogue's answer as text; single-byte answers are in the database's code page.
QString AnswerText(const Variant& answer, const TCodeConverter* converter) {
    if (answer.Type() != VarType::Bytes) return VariantText(answer, QString());
    const int codePage = converter ? converter->DBCodePage().toInt() : 936;
    std::string utf8;
    if (CodePageToUnicode(answer.ToString(), codePage, utf8)) return QString::fromStdString(utf8);
    return BytesText(answer.ToString());
}

// A conversion failure must not cost the user the message: the text stays as it is.
QString ConvertedOrKept(TCodeConverter* converter, int kind, const QString& text) {
    if (!converter) return text;
    try {
        return converter->ConvertText(kind, text);
    } catch (const std::exception&) {
        return text;
    }
}

}  // namespace

TGeneMessages::TGeneMessages(IGeneMessageSite& site, TWinControl* lastFocused)
    : FSite(site), FLastFocused(lastFocused) {}

QString TGeneMessages::MessageText(const QString& kind, const QString& id) {
    TCodeConverter* converter = FSite.MessageConverter();
    const Variant host = FSite.MessageHostObject();
    QString text;
    bool answered = false;
    if (host.Type() == VarType::Dispatch && host.ToDispatch()) {
        // A catalogue that fails (no such member, an error of its own) is no
        // catalogue: the message still reaches the user with its kind and id.
        try {
            text = AnswerText(host.Call("GetMessage", Variant(kind.toStdString()), Variant(id.toStdString())), converter);
            answered = true;
        } catch (const std::exception&) {
        }
    }
    if (!answered)
        text = Format(QStringLiteral("Can not Get Message\rType= %s, ID= %s "),
                      {Variant(kind.toStdString()), Variant(id.toStdString())});
    return ConvertedOrKept(converter, converter ? converter->DBConvertKind() : ckNone, text);
}

void TGeneMessages::ShowMessageCode(const QString& code) {
    if (CancelIsActive()) return;
    if (code.isEmpty()) {
        ClearLogs();
        return;
    }
    AppendCode(code);
    QString rest = code;
    const QString kind = CutField(rest, kCodeSeparator);
    QString id = CutField(rest, kCodeSeparator);
    bool isNumber = false;
    const bool shown = id.toInt(&isNumber) > 0 && isNumber;

    // Always ten arguments, the first at least an empty text; parameters past the
    // tenth are not carried.
    std::vector<Variant> params;
    do {
        params.emplace_back(CutField(rest, kCodeSeparator).toStdString());
    } while (!rest.isEmpty() && params.size() < kMaxCodeParameters);
    params.resize(kMaxCodeParameters);

    // Only the silence mark goes: any other id is looked up as it was given.
    if (!shown && id.startsWith(u'-')) id.remove(0, 1);
    const QString text = FormatOrFallback(MessageText(kind, id), params);
    AppendText(text);
    if (shown) ShowDialog(text, MessageKindType(kind), MsgDlgButton(mbOK));
}

void TGeneMessages::RecordError(const QString& text) {
    if (CancelIsActive()) return;
    const QString trimmed = TrimControls(text);
    if (trimmed.isEmpty()) {
        ClearLogs();
        return;
    }
    AppendCode(QStringLiteral("E;-1"));
    AppendText(trimmed);
}

TModalResult TGeneMessages::ShowMessageById(const QString& kind, const QString& id, const std::vector<Variant>& params,
                                            int lastIndex, TMsgDlgButtons buttons) {
    // A last index past the array cannot name arguments that are not there.
    const auto count = static_cast<std::size_t>(std::clamp(lastIndex + 1, 0, static_cast<int>(params.size())));
    const std::vector<Variant> args(params.begin(), params.begin() + static_cast<std::ptrdiff_t>(count));
    const QString text = FormatOrFallback(MessageText(kind, id), args);
    return ShowDialog(text, MessageKindType(kind), buttons != 0 ? buttons : MessageKindButtons(kind));
}

TModalResult TGeneMessages::ShowDialog(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    // A page change asks its checks quietly; only errors stop it visibly.
    if (FPageChanging && type != mtError) return mrNone;
    TCodeConverter* converter = FSite.MessageConverter();
    TModalResult result = mrNone;
    {
        const std::unique_ptr<TForm> dialog(CreateMessageDialog(text, type, buttons));
        dialog->SetCaption(FSite.MessageCaption());
        if (!converter || converter->UICodePage() != u"437") LocalizeButtons(dialog.get());
        TCodeConverter::SetConvertFont(converter ? converter->UIConvertKind() : ckNone, dialog->Font());
        if (auto* messageForm = dynamic_cast<TMessageForm*>(dialog.get())) messageForm->ArrangeControls();
        result = dialog->ShowModal();
    }
    if (TWinControl* active = FSite.MessageActiveControl()) FSite.ReleaseMouseCapture(active);
    if (type == mtError && FLastFocused && FLastFocused->CanFocus()) FSite.FocusMessageControl(FLastFocused);
    return result;
}

bool TGeneMessages::CancelIsActive() const {
#if KV_EDITION >= 9
    TWinControl* cancel = FSite.MessageCancelButton();
    return cancel && FSite.MessageActiveControl() == cancel;
#else
    // The earlier edition reports messages even while the user is leaving.
    return false;
#endif
}

void TGeneMessages::ClearLogs() {
    FMessageCodes.clear();
    FMessageTexts.clear();
    FDistinctTexts.clear();
}

void TGeneMessages::AppendCode(const QString& code) { FMessageCodes += code + kLogSeparator; }

void TGeneMessages::AppendText(const QString& text) {
    // Whole texts are compared: a short text that happens to stand inside a
    // longer one is a message of its own.
    if (FDistinctTexts.contains(text)) return;
    FDistinctTexts.append(text);
    FMessageTexts += text + kLogSeparator;
}

QString TGeneMessages::FormatOrFallback(const QString& text, const std::vector<Variant>& args) {
    try {
        return Format(text, args);
    } catch (const EFormatError&) {
        QString fallback = text + u'\r';
        for (const Variant& arg : args) {
            try {
                fallback += VariantText(arg, text);
            } catch (const EFormatError&) {
                // An argument no text can show stands as nothing.
            }
            fallback += kCodeSeparator;
        }
        return fallback;
    }
}

void TGeneMessages::LocalizeButtons(TComponent* dialog) {
    TCodeConverter* converter = FSite.MessageConverter();
    const int kind = converter ? converter->UIConvertKind() : ckNone;
    for (int i = 0; i < dialog->ComponentCount(); ++i) {
        auto* button = qobject_cast<TButton*>(dialog->Components(i));
        if (!button) continue;
        const QString caption = MessageButtonCaption(button->Name());
        if (!caption.isNull()) button->SetCaption(ConvertedOrKept(converter, kind, caption));
    }
}

}  // namespace kv
