// The About window: its components where they belong, and the ways to close it.
#include "app/aboutbox.h"
#include "data/mkbrecs.h"
#include "platform/shell.h"
#include "qt_support.h"

#include <QFontMetrics>
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
    QLabel* Label;
    int X, Y, DesignWidth;
    const char* Text;
    bool RightColumn;
};

TEST(AboutBox, WindowIsAFixedDialogOfItsSize) {
    TAboutBox box;
    EXPECT_EQ(box.windowTitle(), QString::fromUtf8("О программе"));
    EXPECT_EQ(box.size(), QSize(378, 215));
    EXPECT_EQ(box.minimumSize(), QSize(378, 215));
    EXPECT_EQ(box.maximumSize(), QSize(378, 215));
    EXPECT_FALSE(box.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(box.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(box.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.palette().color(QPalette::Window), box.palette().color(QPalette::Button));
    EXPECT_TRUE(box.autoFillBackground());
}

TEST(AboutBox, PanelPictureBevelsAndButtonSitAtTheirPlaces) {
    TAboutBox box;
    EXPECT_EQ(box.panLogo->geometry(), QRect(8, 8, 129, 161));
    EXPECT_EQ(box.imgLogo->parentWidget(), box.panLogo);
    EXPECT_EQ(box.imgLogo->geometry(), QRect(2, 2, 125, 157));
    // The whole 125 x 197 logo, drawn from its top-left corner and cut off below.
    EXPECT_EQ(box.imgLogo->pixmap().size(), QSize(125, 197));
    EXPECT_EQ(box.imgLogo->alignment(), Qt::AlignLeft | Qt::AlignTop);
    EXPECT_EQ(box.Bevel1->geometry(), QRect(158, 78, 213, 2));
    EXPECT_EQ(box.Bevel2->geometry(), QRect(8, 176, 363, 2));
    EXPECT_EQ(box.btnOK->geometry(), QRect(296, 184, 75, 25));
    EXPECT_EQ(box.btnOK->text(), "&OK");

    // The bevel is a lowered line: shadow over highlight.
    box.show();
    const QImage bevel = box.Bevel1->grab().toImage();
    EXPECT_EQ(bevel.pixel(100, 0), box.palette().color(QPalette::Dark).rgb());
    EXPECT_EQ(bevel.pixel(100, 1), box.palette().color(QPalette::Light).rgb());
    EXPECT_NE(box.palette().color(QPalette::Dark).rgb(),
              box.palette().color(QPalette::Light).rgb());
    box.hide();
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
        EXPECT_EQ(c.Label->text(), QString::fromUtf8(c.Text));
        const QFontMetrics fm(c.Label->font());
        const QRect g = c.Label->geometry();
        EXPECT_EQ(g.top(), c.Y);
        EXPECT_EQ(g.height(), fm.height());
        EXPECT_EQ(g.width(), fm.horizontalAdvance(c.Label->text()));
        if (c.RightColumn)
            EXPECT_EQ(g.left() + g.width(), 371); // the column stays flush right
        else
            EXPECT_EQ(g.left(), c.X);
        // Whatever face stands in, nothing runs into the logo or off the window.
        EXPECT_GT(g.left(), box.panLogo->geometry().right());
        EXPECT_LE(g.left() + g.width(), 378);
    }

    const QFont product = box.lbProductName->font();
    EXPECT_EQ(product.family(), "Verdana");
    EXPECT_EQ(product.pixelSize(), 21);
    EXPECT_TRUE(product.bold());
    EXPECT_EQ(box.lbProductName->palette().color(QPalette::WindowText), QColor(0x5A, 0x7F, 0xAD));

    for (QLabel* bold : {box.lbVersion, box.lbSiteCaption, box.lbSupportCaption}) {
        EXPECT_EQ(bold->font().family(), "MS Sans Serif");
        EXPECT_EQ(bold->font().pixelSize(), 11);
        EXPECT_TRUE(bold->font().bold()) << bold->objectName().toStdString();
    }
    EXPECT_FALSE(box.lbFree->font().bold());
    EXPECT_EQ(box.lbFree->font().pixelSize(), 11);
    EXPECT_EQ(box.lbFree->palette().color(QPalette::WindowText),
              box.palette().color(QPalette::WindowText));

    for (QLabel* link : {static_cast<QLabel*>(box.lbSite), static_cast<QLabel*>(box.lbSupport)}) {
        SCOPED_TRACE(link->objectName().toStdString());
        EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 0, 0xFF));
        EXPECT_TRUE(link->font().underline());
        EXPECT_FALSE(link->font().bold());
        EXPECT_EQ(link->font().pixelSize(), 11);
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    }
}

TEST(AboutBox, NamesTheClassificationEdition) {
    TAboutBox box;
    const QString text = box.lbEdition->text();
    EXPECT_TRUE(text.contains(QLatin1String(MKBDataSetId))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("версия ") + QLatin1String(MKBDataSetVersion)));
    // Wrapped, it fits its place beside the button, inside the window.
    const QRect need =
        QFontMetrics(box.lbEdition->font())
            .boundingRect(QRect(0, 0, box.lbEdition->width(), 1000), Qt::TextWordWrap, text);
    EXPECT_LE(need.height(), box.lbEdition->height());
    EXPECT_LT(box.lbEdition->geometry().right(), box.btnOK->geometry().left());
    EXPECT_LE(box.lbEdition->geometry().bottom(), TAboutBox::ClientHeight);
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
    box.show();
    EXPECT_GT(PaintedPixels(box.lbProductName, QColor(0x5A, 0x7F, 0xAD)), 30);
    EXPECT_GT(PaintedPixels(box.lbSite, QColor(0, 0, 0xFF)), 20);
    EXPECT_GT(PaintedPixels(box.lbSupport, QColor(0, 0, 0xFF)), 20);
    EXPECT_EQ(PaintedPixels(box.lbFree, QColor(0, 0, 0xFF)), 0);
    EXPECT_GT(PaintedPixels(box.lbFree, box.palette().color(QPalette::WindowText)), 10);
    // The window's ground is the button face.
    EXPECT_EQ(box.grab().toImage().pixel(300, 172), box.palette().color(QPalette::Button).rgb());
    box.hide();
}

TEST(AboutBox, EscOkAltOAndTheCloseBoxCloseIt) {
    TAboutBox box;
    const std::vector<std::pair<const char*, std::function<void(QWidget*)>>> ways = {
        {"Esc", [&](QWidget*) { QTest::keyClick(box.btnOK, Qt::Key_Escape); }},
        {"OK", [&](QWidget*) { QTest::mouseClick(box.btnOK, Qt::LeftButton); }},
        {"Alt+O", [&](QWidget*) { QTest::keyClick(box.btnOK, Qt::Key_O, Qt::AltModifier); }},
        {"close box", [&](QWidget* modal) { modal->close(); }},
        {"Esc again", [&](QWidget*) { QTest::keyClick(box.btnOK, Qt::Key_Escape); }},
    };
    for (const auto& [name, act] : ways) {
        SCOPED_TRACE(name);
        QWidget* seen = nullptr;
        AnswerModal([&] { return box.ShowModal(); },
                    [&](QWidget* modal) {
                        seen = modal;
                        EXPECT_TRUE(box.isVisible());
                        act(modal);
                    });
        EXPECT_EQ(seen, &box);
        EXPECT_FALSE(box.isVisible());
    }
}

TEST(AboutBox, OtherKeysLeaveItOpen) {
    TAboutBox box;
    bool stillOpen = false;
    AnswerModal([&] { return box.ShowModal(); },
                [&](QWidget*) {
                    QTest::keyClick(box.btnOK, Qt::Key_A);
                    QTest::keyClick(box.btnOK, Qt::Key_O); // O without Alt
                    stillOpen = box.isVisible();
                    box.btnOKClick(box.btnOK);
                });
    EXPECT_TRUE(stillOpen);
}

TEST(AboutBox, FormKeyPressClosesOnEscOnlyAndKeepsTheKey) {
    TAboutBox box;
    box.show();
    char16_t key = u'x';
    box.FormKeyPress(&box, key);
    EXPECT_TRUE(box.isVisible());
    EXPECT_EQ(key, u'x');
    key = 27;
    box.FormKeyPress(&box, key);
    EXPECT_FALSE(box.isVisible());
}

TEST(AboutBox, LinksAskTheShellAndLeaveTheWindowOpen) {
    ShellRecorder shell;
    TAboutBox box;
    bool openAfterSite = false, openAfterSupport = false;
    AnswerModal([&] { return box.ShowModal(); },
                [&](QWidget*) {
                    QTest::mouseClick(box.lbSite, Qt::LeftButton);
                    openAfterSite = box.isVisible();
                    QTest::mouseClick(box.lbSupport, Qt::LeftButton);
                    openAfterSupport = box.isVisible();
                    box.btnOKClick(box.btnOK);
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
    box.show();
    QTest::mousePress(box.lbSite, Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseRelease(box.lbSite, Qt::LeftButton, {}, QPoint(-20, 40));
    EXPECT_TRUE(shell.Targets.empty());
    QTest::mouseClick(box.lbSite, Qt::RightButton);
    EXPECT_TRUE(shell.Targets.empty());
    box.hide();
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
