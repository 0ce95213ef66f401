#pragma once
// The About window: product, version, and links to the maker's site and support address.
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include <functional>

class QObject;

// A bevel drawn as a lowered line along its top edge: shadow above, highlight below.
class TBevel : public QWidget {
public:
    explicit TBevel(QWidget* parent) : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent*) override;
};

// A label that reacts to a click of the left button released over it.
class TClickLabel : public QLabel {
public:
    explicit TClickLabel(QWidget* parent) : QLabel(parent) {}
    std::function<void(QObject* Sender)> OnClick;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool Pressed{false};
};

class TAboutBox : public QDialog {
public:
    // Loads the logo from the application's resources; raises EResNotFound when it is not
    // linked in. The window stays hidden until ShowModal.
    explicit TAboutBox(QWidget* owner = nullptr);

    // Shows the window until it is closed, then hides it again; can be called any number of
    // times.
    int ShowModal();

    void btnOKClick(QObject* Sender);
    void FormKeyPress(QObject* Sender, char16_t& Key);
    void lbSiteClick(QObject* Sender);
    void lbSupportClick(QObject* Sender);

    static constexpr int ClientWidth = 378;
    static constexpr int ClientHeight = 215;
    static constexpr const char16_t* SiteAddress = u"https://verolin.example/mkb10";
    static constexpr const char16_t* SupportAddress = u"support@verolin.example";

    QFrame* panLogo{nullptr};
    QLabel* imgLogo{nullptr};
    QLabel* lbProductName{nullptr};
    QLabel* lbVersion{nullptr};
    QLabel* lbFree{nullptr};
    TBevel* Bevel1{nullptr};
    QLabel* lbSiteCaption{nullptr};
    TClickLabel* lbSite{nullptr};
    QLabel* lbSupportCaption{nullptr};
    TClickLabel* lbSupport{nullptr};
    TBevel* Bevel2{nullptr};
    // The classification edition the program carries, beside the button.
    QLabel* lbEdition{nullptr};
    QPushButton* btnOK{nullptr};

protected:
    // Keyboard preview: key presses meant for any control pass FormKeyPress first.
    bool eventFilter(QObject* watched, QEvent* event) override;
};
