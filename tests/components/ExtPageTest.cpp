// The self-drawing page control: which page each visible tab draws when tabs are
// hidden, the colours and weight of the active and the other tabs, and the
// drawing event taking over. What is drawn is read from a paint engine that
// records the fills and texts it is given.
#include <QPaintEngine>
#include <QPainter>
#include <QTabBar>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "components/DBLabel.h"
#include "components/ExtPage.h"
#include "components/KvSpin.h"
#include "platform/Forms.h"
#if KV_EDITION >= 9
#include "components/KvnEdit.h"
#endif

namespace kv {
namespace {

struct DrawnText {
    QString Text;
    QPointF At;
    QColor Pen;
    bool Bold;
};

struct Fill {
    QRectF Rect;
    QColor Color;
};

// Keeps the plain fills and the texts painted on it, in device coordinates.
class RecordingEngine : public QPaintEngine {
public:
    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState& state) override {
        if (state.state() & DirtyPen) FPen = state.pen();
        if (state.state() & DirtyBrush) FBrush = state.brush();
        if (state.state() & DirtyTransform) FTransform = state.transform();
    }
    void drawRects(const QRectF* rects, int count) override {
        for (int i = 0; i < count; ++i)
            if (FBrush.style() == Qt::SolidPattern) Fills.push_back({FTransform.mapRect(rects[i]), FBrush.color()});
    }
    void drawRects(const QRect* rects, int count) override {
        for (int i = 0; i < count; ++i) {
            const QRectF r(rects[i]);
            drawRects(&r, 1);
        }
    }
    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        Texts.push_back({item.text(), FTransform.map(p), FPen.color(), item.font().bold()});
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPath(const QPainterPath&) override {}
    Type type() const override { return QPaintEngine::User; }

    std::vector<Fill> Fills;
    std::vector<DrawnText> Texts;

private:
    QPen FPen;
    QBrush FBrush;
    QTransform FTransform;
};

class RecordingDevice : public QPaintDevice {
public:
    explicit RecordingDevice(QSize size) : FSize(size) {}
    QPaintEngine* paintEngine() const override { return &Engine; }
    mutable RecordingEngine Engine;

protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
            case PdmWidth: return FSize.width();
            case PdmHeight: return FSize.height();
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY: return 96;
            case PdmDepth: return 32;
            case PdmNumColors: return 0x7fffffff;
            case PdmDevicePixelRatio: return 1;
            case PdmDevicePixelRatioScaled: return static_cast<int>(devicePixelRatioFScale());
            default: return 0;
        }
    }

private:
    QSize FSize;
};

class PagesForm : public TForm {
public:
    explicit PagesForm(TComponent* owner = nullptr) : TForm(owner) {
        SetBounds(0, 0, 420, 260);
        pc = CreateNamed<TExtPageControl>(this, "pgOption");
        pc->SetParent(this);
        pc->SetBounds(8, 8, 400, 240);
        const char* captions[] = {"First", "Second", "Third"};
        for (int i = 0; i < 3; ++i) {
            sheets[i] = CreateNamed<TTabSheet>(this, QString("tsOption%1").arg(i + 1));
            sheets[i]->SetPageControl(pc);
            sheets[i]->SetCaption(captions[i]);
        }
    }
    TExtPageControl* pc;
    TTabSheet* sheets[3] = {};
};

class ExtPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = TForm::Create<PagesForm>();
        form->Show();
    }
    void TearDown() override { form->Free(); }

    // Paints the tab row on a recording device.
    RecordingEngine& PaintTabs() {
        QTabBar* bar = form->pc->TabBar();
        device = std::make_unique<RecordingDevice>(bar->size());
        QPainter painter(device.get());
        bar->render(&painter);
        return device->Engine;
    }
    // The text drawn inside the rectangle, or null.
    static const DrawnText* TextIn(const RecordingEngine& engine, const QRect& rect) {
        for (const DrawnText& t : engine.Texts)
            if (rect.contains(t.At.toPoint())) return &t;
        return nullptr;
    }
    static bool Filled(const RecordingEngine& engine, const QRect& rect, const QColor& color) {
        for (const Fill& f : engine.Fills)
            if (f.Rect.toRect() == rect && f.Color == color) return true;
        return false;
    }

    PagesForm* form = nullptr;
    std::unique_ptr<RecordingDevice> device;
};

TEST_F(ExtPageTest, CreatedWithOwnerDrawnTabs) {
    EXPECT_TRUE(form->pc->OwnerDraw());
    EXPECT_EQ(form->pc->property("OwnerDraw").toBool(), true);
    EXPECT_EQ(form->pc->ClassName(), "TExtPageControl");
    EXPECT_TRUE(form->pc->InheritsFrom("TPageControl"));
}

TEST_F(ExtPageTest, TheCaptionColoursAreTheirOwnColours) {
    // The tabs need four distinct system colours, named as the form texts name them.
    const TColor colours[] = {clActiveCaption, clCaptionText, clInactiveCaption, clInactiveCaptionText};
    const char* names[] = {"clActiveCaption", "clCaptionText", "clInactiveCaption", "clInactiveCaptionText"};
    for (int i = 0; i < 4; ++i) {
        TColor read = clNone;
        EXPECT_TRUE(IdentToColor(names[i], read)) << names[i];
        EXPECT_EQ(read, colours[i]) << names[i];
        EXPECT_EQ(ColorToIdent(colours[i]), names[i]);
    }
    EXPECT_NE(ColorToQColor(clActiveCaption), ColorToQColor(clCaptionText));
    EXPECT_NE(ColorToQColor(clInactiveCaption), ColorToQColor(clInactiveCaptionText));
    EXPECT_NE(ColorToQColor(clActiveCaption), ColorToQColor(clInactiveCaption));
}

TEST_F(ExtPageTest, EachVisibleTabDrawsItsPageCaption) {
    struct Case {
        const char* Name;
        bool Hidden[3];
        int ActiveSheet;
        std::vector<QString> Tabs;
        int ActiveTab;
    };
    const Case cases[] = {
        {"all tabs shown", {false, false, false}, 0, {"First", "Second", "Third"}, 0},
        {"first hidden: tab 0 is the second page", {true, false, false}, 2, {"Second", "Third"}, 1},
        {"middle hidden", {false, true, false}, 2, {"First", "Third"}, 1},
        {"active page's tab hidden: no active tab", {false, true, false}, 1, {"First", "Third"}, -1},
    };
    for (const Case& c : cases) {
        for (int i = 0; i < 3; ++i) form->sheets[i]->SetTabVisible(!c.Hidden[i]);
        form->pc->SetActivePage(form->sheets[c.ActiveSheet]);
        ASSERT_EQ(form->pc->TabBar()->count(), static_cast<int>(c.Tabs.size())) << c.Name;
        const RecordingEngine& drawn = PaintTabs();
        EXPECT_EQ(drawn.Texts.size(), c.Tabs.size()) << c.Name;
        for (int tab = 0; tab < static_cast<int>(c.Tabs.size()); ++tab) {
            const QRect rect = form->pc->TabBar()->tabRect(tab);
            const DrawnText* text = TextIn(drawn, rect);
            ASSERT_NE(text, nullptr) << c.Name << " tab " << tab;
            EXPECT_EQ(text->Text, c.Tabs[tab]) << c.Name << " tab " << tab;
            const bool active = tab == c.ActiveTab;
            EXPECT_EQ(text->Bold, active) << c.Name << " tab " << tab;
            EXPECT_EQ(text->Pen, ColorToQColor(active ? clCaptionText : clInactiveCaptionText)) << c.Name;
            // The active tab's face is 2 pixels inside the area it is given.
            const QRect given = rect.adjusted(2, 2, -2, -2);
            const QRect face = active ? given.adjusted(2, 2, -2, -2) : given;
            EXPECT_TRUE(Filled(drawn, face, ColorToQColor(active ? clActiveCaption : clInactiveCaption)))
                << c.Name << " tab " << tab;
        }
    }
}

TEST_F(ExtPageTest, TabIndexCountsOnlyVisibleTabs) {
    form->sheets[0]->SetTabVisible(false);
    form->pc->SetTabIndex(0);
    EXPECT_EQ(form->pc->ActivePage(), form->sheets[1]);
    EXPECT_EQ(form->pc->PageForTab(0), form->sheets[1]);
    EXPECT_EQ(form->pc->PageForTab(1), form->sheets[2]);
    EXPECT_EQ(form->pc->PageForTab(2), nullptr);
}

TEST_F(ExtPageTest, TheDrawingEventTakesOver) {
    struct Call {
        int Tab;
        bool Active;
    };
    std::vector<Call> calls;
    form->sheets[0]->SetTabVisible(false);
    form->pc->SetActivePage(form->sheets[2]);
    form->pc->OnDrawTab = [&](TPageControl* control, int tab, const QRect&, bool active) {
        EXPECT_EQ(control, form->pc);
        EXPECT_NE(control->Canvas(), nullptr);
        calls.push_back({tab, active});
    };
    const RecordingEngine& drawn = PaintTabs();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].Tab, 0);
    EXPECT_FALSE(calls[0].Active);
    EXPECT_EQ(calls[1].Tab, 1);
    EXPECT_TRUE(calls[1].Active);
    // The control drew no caption and no face of its own.
    EXPECT_TRUE(drawn.Texts.empty());
    for (const Fill& f : drawn.Fills) {
        EXPECT_NE(f.Color, ColorToQColor(clActiveCaption));
        EXPECT_NE(f.Color, ColorToQColor(clInactiveCaption));
    }
}

// The components as a user sees them; the picture goes to /tmp/e.png.
TEST_F(ExtPageTest, Screenshot) {
    form->SetCaption("Labels, labelled edits, spin edit and page control");
    TTabSheet* page = form->sheets[0];
    form->pc->SetActivePage(page);
    auto* date = CreateNamed<TEdit>(form, "edPrintDate");
    date->SetParent(page);
    date->SetBounds(90, 10, 90, 21);
    auto* today = CreateNamed<TDBLabel>(form, "lblToday");
    today->SetParent(page);
    today->SetCaption(QStringLiteral("制表日期"));
    today->SetFocusControl(date);
    auto* spin = CreateNamed<TKvSpinEdit>(form, "seSetDay1");
    spin->SetParent(page);
    spin->SetBounds(90, 45, 60, 21);
    spin->SetTextValue("15");
    auto* days = CreateNamed<TDBLabel>(form, "lblDays");
    days->SetParent(page);
    days->SetCaption(QStringLiteral("日"));
    days->SetPos(TDBLabel::psRight);
    days->SetFocusControl(spin);
#if KV_EDITION >= 9
    auto* payYm = CreateNamed<TKvEdit>(form, "edPayYm");
    payYm->SetParent(page);
    payYm->SetBounds(90, 110, 90, 21);
    payYm->SetCaption(QStringLiteral("发薪年月"));
    auto* dept = CreateNamed<TKvBtnDBEdit>(form, "edDept");
    dept->SetParent(page);
    dept->SetBounds(90, 160, 90, 21);
    dept->SetLabelPosition(TKvEdit::lpAbove);
    dept->SetCaption(QStringLiteral("部门编号"));
    dept->SetGlyphIndex(78);
#endif
    const QImage shot = form->Handle()->grab().toImage();
    ASSERT_TRUE(shot.save("/tmp/e.png"));
    // The active tab's face shows in the active-caption colour.
    const QRect tab = form->pc->TabRect(0);
    EXPECT_EQ(shot.pixelColor(form->pc->Left() + tab.left() + 5, form->pc->Top() + tab.top() + 5),
              ColorToQColor(clActiveCaption));
}

}  // namespace
}  // namespace kv
