// The About window: its components where they belong, and the ways to close it.
#include "app/aboutbox.h"
#include "data/mkbrecs.h"
#include "platform/shell.h"
#include "qt_support.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QLabel>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>

#include <string>
#include <vector>

namespace {

// Records shell requests instead of starting a browser.
class ShellRecorder {
public:
    ShellRecorder() {
        Previous = SetShellOpenHandler([this](const std::u16string& t) { Targets.push_back(t); });
    }
    ~ShellRecorder() { SetShellOpenHandler(std::move(Previous)); }
    std::vector<std::u16string> Targets;

private:
    TShellOpenHandler Previous;
};

struct LabelCase {
    TLabel* Label;
    int X, Y, DesignWidth;
    const char* Text;
    bool RightColumn;
};

TEST(AboutBox, WindowIsAFixedDialogOfItsSize) {
    TAboutBox box;
    EXPECT_EQ(W(&box)->windowTitle(), QString::fromUtf8("О программе"));
    EXPECT_EQ(W(&box)->size(), QSize(378, 215));
    EXPECT_EQ(W(&box)->minimumSize(), QSize(378, 215));
    EXPECT_EQ(W(&box)->maximumSize(), QSize(378, 215));
    EXPECT_FALSE(W(&box)->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(W(&box)->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(W(&box)->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(W(&box)->isVisible());
    EXPECT_EQ(W(&box)->palette().color(QPalette::Window),
              W(&box)->palette().color(QPalette::Button));
    EXPECT_TRUE(W(&box)->autoFillBackground());
}

TEST(AboutBox, PanelPictureBevelsAndButtonSitAtTheirPlaces) {
    TAboutBox box;
    EXPECT_EQ(W(box.panLogo)->geometry(), QRect(8, 8, 129, 161));
    EXPECT_EQ(W(box.imgLogo)->parentWidget(), W(box.panLogo));
    EXPECT_EQ(W(box.imgLogo)->geometry(), QRect(2, 2, 125, 157));
    // The whole 125 x 197 logo, drawn from its top-left corner and cut off below.
    EXPECT_EQ(As<QLabel>(box.imgLogo)->pixmap().size(), QSize(125, 197));
    EXPECT_EQ(As<QLabel>(box.imgLogo)->alignment(), Qt::AlignLeft | Qt::AlignTop);
    EXPECT_EQ(W(box.Bevel1)->geometry(), QRect(158, 78, 213, 2));
    EXPECT_EQ(W(box.Bevel2)->geometry(), QRect(8, 176, 363, 2));
    EXPECT_EQ(W(box.btnOK)->geometry(), QRect(296, 184, 75, 25));
    EXPECT_EQ(As<QAbstractButton>(box.btnOK)->text(), "&OK");

    // The bevel is a lowered line: shadow over highlight.
    W(&box)->show();
    const QImage bevel = W(box.Bevel1)->grab().toImage();
    EXPECT_EQ(bevel.pixel(100, 0), W(&box)->palette().color(QPalette::Dark).rgb());
    EXPECT_EQ(bevel.pixel(100, 1), W(&box)->palette().color(QPalette::Light).rgb());
    EXPECT_NE(W(&box)->palette().color(QPalette::Dark).rgb(),
              W(&box)->palette().color(QPalette::Light).rgb());
    W(&box)->hide();
}

TEST(AboutBox, LabelsCarryTheirCaptionsFontsAndSizeThemselves) {
    TAboutBox box;
    const std::vector<LabelCase> cases = {
        {box.lbProductName, 158, 8, 213, "Verolin МКБ 10", true},
        {box.lbVersion, 305, 36, 66, "Версия 1.5", true},
        {box.lbFree, 220, 56, 151, "Распространяется бесплатно", true},
        {box.lbSiteCaption, 158, 88, 95, "Онлайн версия:", false},
        {box.lbSite, 257, 105, 114, "https://verolin.example/mkb10", true},
        {box.lbSupportCaption, 158, 128, 118, "Служба поддержки:", false},
        {box.lbSupport, 269, 152, 102, "support@verolin.example", true},
    };
    for (const LabelCase& c : cases) {
        SCOPED_TRACE(c.Text);
        ASSERT_NE(c.Label, nullptr);
        EXPECT_EQ(As<QLabel>(c.Label)->text(), QString::fromUtf8(c.Text));
        const QFontMetrics fm(W(c.Label)->font());
        const QRect g = W(c.Label)->geometry();
        EXPECT_EQ(g.top(), c.Y);
        EXPECT_EQ(g.height(), fm.height());
        EXPECT_EQ(g.width(), fm.horizontalAdvance(As<QLabel>(c.Label)->text()));
        if (c.RightColumn)
            EXPECT_EQ(g.left() + g.width(), 371); // the column stays flush right
        else
            EXPECT_EQ(g.left(), c.X);
        // Whatever face stands in, nothing runs into the logo or off the window.
        EXPECT_GT(g.left(), W(box.panLogo)->geometry().right());
        EXPECT_LE(g.left() + g.width(), 378);
    }

    const QFont product = W(box.lbProductName)->font();
    EXPECT_EQ(product.family(), "Verdana");
    EXPECT_EQ(product.pixelSize(), 21);
    EXPECT_TRUE(product.bold());
    EXPECT_EQ(W(box.lbProductName)->palette().color(QPalette::WindowText),
              QColor(0x5A, 0x7F, 0xAD));

    for (TLabel* bold : {box.lbVersion, box.lbSiteCaption, box.lbSupportCaption}) {
        EXPECT_EQ(W(bold)->font().family(), "MS Sans Serif");
        EXPECT_EQ(W(bold)->font().pixelSize(), 11);
        EXPECT_TRUE(W(bold)->font().bold());
    }
    EXPECT_FALSE(W(box.lbFree)->font().bold());
    EXPECT_EQ(W(box.lbFree)->font().pixelSize(), 11);
    EXPECT_EQ(W(box.lbFree)->palette().color(QPalette::WindowText),
              W(&box)->palette().color(QPalette::WindowText));

    for (TLabel* link : {box.lbSite, box.lbSupport}) {
        SCOPED_TRACE(link->Width());
        EXPECT_EQ(W(link)->palette().color(QPalette::WindowText), QColor(0, 0, 0xFF));
        EXPECT_TRUE(W(link)->font().underline());
        EXPECT_FALSE(W(link)->font().bold());
        EXPECT_EQ(W(link)->font().pixelSize(), 11);
        EXPECT_EQ(W(link)->cursor().shape(), Qt::PointingHandCursor);
    }
}

TEST(AboutBox, NamesTheClassificationEdition) {
    TAboutBox box;
    const QString text = As<QLabel>(box.lbEdition)->text();
    EXPECT_TRUE(text.contains(QLatin1String(MKBDataSetId))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("версия ") + QLatin1String(MKBDataSetVersion)));
    // Wrapped, it fits its place beside the button, inside the window.
    const QRect need =
        QFontMetrics(W(box.lbEdition)->font())
            .boundingRect(QRect(0, 0, W(box.lbEdition)->width(), 1000), Qt::TextWordWrap, text);
    EXPECT_LE(need.height(), W(box.lbEdition)->height());
    EXPECT_LT(W(box.lbEdition)->geometry().right(), W(box.btnOK)->geometry().left());
    EXPECT_LE(W(box.lbEdition)->geometry().bottom(), TAboutBox::ClientHeight);
}

// How many pixels of the widget as painted are close to `colour`.
int PaintedPixels(QWidget* w, const QColor& colour) {
    const QImage img = w->grab().toImage();
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            n += std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                     std::abs(c.blue() - colour.blue()) <
                 40;
        }
    return n;
}

TEST(AboutBox, TextIsPaintedInItsColours) {
    TAboutBox box;
    W(&box)->show();
    EXPECT_GT(PaintedPixels(W(box.lbProductName), QColor(0x5A, 0x7F, 0xAD)), 30);
    EXPECT_GT(PaintedPixels(W(box.lbSite), QColor(0, 0, 0xFF)), 20);
    EXPECT_GT(PaintedPixels(W(box.lbSupport), QColor(0, 0, 0xFF)), 20);
    EXPECT_EQ(PaintedPixels(W(box.lbFree), QColor(0, 0, 0xFF)), 0);
    EXPECT_GT(PaintedPixels(W(box.lbFree), W(&box)->palette().color(QPalette::WindowText)), 10);
    // The window's ground is the button face.
    EXPECT_EQ(W(&box)->grab().toImage().pixel(300, 172),
              W(&box)->palette().color(QPalette::Button).rgb());
    W(&box)->hide();
}

TEST(AboutBox, EscOkAltOAndTheCloseBoxCloseIt) {
    TAboutBox box;
    const std::vector<std::pair<const char*, std::function<void(QWidget*)>>> ways = {
        {"Esc", [&](QWidget*) { QTest::keyClick(W(box.btnOK), Qt::Key_Escape); }},
        {"OK", [&](QWidget*) { QTest::mouseClick(W(box.btnOK), Qt::LeftButton); }},
        {"Alt+O", [&](QWidget*) { QTest::keyClick(W(box.btnOK), Qt::Key_O, Qt::AltModifier); }},
        {"close box", [&](QWidget* modal) { modal->close(); }},
        {"Esc again", [&](QWidget*) { QTest::keyClick(W(box.btnOK), Qt::Key_Escape); }},
    };
    for (const auto& [name, act] : ways) {
        SCOPED_TRACE(name);
        QWidget* seen = nullptr;
        AnswerModal(
            [&] {
                box.ShowModal();
                return 0;
            },
            [&](QWidget* modal) {
                seen = modal;
                EXPECT_TRUE(W(&box)->isVisible());
                act(modal);
            });
        EXPECT_EQ(seen, W(&box));
        EXPECT_FALSE(W(&box)->isVisible());
    }
}

TEST(AboutBox, OtherKeysLeaveItOpen) {
    TAboutBox box;
    bool stillOpen = false;
    AnswerModal(
        [&] {
            box.ShowModal();
            return 0;
        },
        [&](QWidget*) {
            QTest::keyClick(W(box.btnOK), Qt::Key_A);
            QTest::keyClick(W(box.btnOK), Qt::Key_O); // O without Alt
            stillOpen = W(&box)->isVisible();
            box.btnOKClick();
        });
    EXPECT_TRUE(stillOpen);
}

TEST(AboutBox, FormKeyPressClosesOnEscOnlyAndKeepsTheKey) {
    TAboutBox box;
    W(&box)->show();
    char16_t key = u'x';
    box.FormKeyPress(key);
    EXPECT_TRUE(W(&box)->isVisible());
    EXPECT_EQ(key, u'x');
    key = 27;
    box.FormKeyPress(key);
    EXPECT_FALSE(W(&box)->isVisible());
}

TEST(AboutBox, LinksAskTheShellAndLeaveTheWindowOpen) {
    ShellRecorder shell;
    TAboutBox box;
    bool openAfterSite = false, openAfterSupport = false;
    AnswerModal(
        [&] {
            box.ShowModal();
            return 0;
        },
        [&](QWidget*) {
            QTest::mouseClick(W(box.lbSite), Qt::LeftButton);
            openAfterSite = W(&box)->isVisible();
            QTest::mouseClick(W(box.lbSupport), Qt::LeftButton);
            openAfterSupport = W(&box)->isVisible();
            box.btnOKClick();
        });
    EXPECT_TRUE(openAfterSite);
    EXPECT_TRUE(openAfterSupport);
    ASSERT_EQ(shell.Targets.size(), 2u);
    EXPECT_EQ(shell.Targets[0], u"https://verolin.example/mkb10");
    EXPECT_EQ(shell.Targets[1], u"mailto:support@verolin.example");
}

TEST(AboutBox, APressMovedOffTheLinkBeforeReleaseIsNoClick) {
    ShellRecorder shell;
    TAboutBox box;
    W(&box)->show();
    QTest::mousePress(W(box.lbSite), Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseRelease(W(box.lbSite), Qt::LeftButton, {}, QPoint(-20, 40));
    EXPECT_TRUE(shell.Targets.empty());
    QTest::mouseClick(W(box.lbSite), Qt::RightButton);
    EXPECT_TRUE(shell.Targets.empty());
    W(&box)->hide();
}

TEST(AboutBox, ReplacedShellHandlerIsRestored) {
    std::vector<std::u16string> outer;
    SetShellOpenHandler([&](const std::u16string& t) { outer.push_back(t); });
    {
        ShellRecorder inner;
        ShellExecuteOpen(u"https://a.example/");
        EXPECT_EQ(inner.Targets.size(), 1u);
    }
    ShellExecuteOpen(u"https://b.example/");
    ASSERT_EQ(outer.size(), 1u);
    EXPECT_EQ(outer[0], u"https://b.example/");
    SetShellOpenHandler({});
}

} // namespace
