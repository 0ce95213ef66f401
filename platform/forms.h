#pragma once
// The window-level pieces the application builds its windows from: forms with a menu and a
// status bar, panels, labels, bevels, pictures, edit boxes, text areas, drop-down lists, buttons, a
// splitter between two panes, timers, and the system's own controls placed among them. No toolkit
// type shows here; each backend makes the pieces out of its own windows.
//
// A piece belongs to its parent: the parent's native window owns the piece's, and the piece
// object must be destroyed before its parent (the application keeps them as members of its
// form, declared after the form, or lets the form own them with Make).
#include "platform/font.h"
#include "platform/keys.h"
#include "platform/types.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TBitmap;
class TControl;

// Where a piece goes inside its parent: against an edge, taking the remaining space, or at the
// bounds set for it. Aligned pieces are placed in the order they were made.
enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
using enum TAlign;

enum class THorzAlign { haLeft, haCenter, haRight };
using enum THorzAlign;

// A key as the keyboard gave it: the virtual key, the modifiers, and the character it typed
// (0 for none).
struct TKeyStroke {
    TVirtualKey Key{0};
    TShiftState Shift;
    char16_t Char{0};
};

// A menu command's key: the virtual key with its modifiers.
struct TShortCut {
    TVirtualKey Key{0};
    TShiftState Shift;
};

struct TWidgetImpl; // the backend's window behind a piece

class TWidget {
public:
    virtual ~TWidget();
    TWidget(const TWidget&) = delete;
    TWidget& operator=(const TWidget&) = delete;

    TWidget* Parent() const { return FParent; }

    // Bounds in the parent's client coordinates (logical pixels).
    void SetBounds(int left, int top, int width, int height);
    TRect Bounds() const;
    int Width() const;
    int Height() const;
    // The fixed extent an aligned piece keeps across its edge (a top piece's height).
    void SetAlign(TAlign align);
    TAlign Align() const { return FAlign; }
    // The smallest width the layout leaves a piece.
    void SetMinWidth(int width);

    void Show();
    void Hide();
    bool Visible() const;
    // Drawn above its siblings (a list dropped over other pieces).
    void BringToFront();

    bool Enabled() const;
    void SetEnabled(bool enabled);

    // Keyboard focus: whether this piece (or, for a container, one inside it) has it.
    bool Focused() const;
    bool ContainsFocus() const;
    void SetFocus();

    // The font's height is taken as the character height in pixels, whatever its sign.
    void SetFont(const TFontSpec& font);
    // Background (clNone: the parent's shows through) and text colours.
    void SetColor(TColor color);
    TColor Color() const { return FColor; }
    void SetTextColor(TColor color);
    TColor TextColor() const { return FTextColor; }
    // A pointing hand over the piece: it reacts to clicks.
    void SetHandCursor();

    // What screen readers call the piece.
    void SetAccessibleName(const std::u16string& name);

    // A point of this piece in the coordinates of one of its ancestors.
    TPoint MapTo(const TWidget& ancestor, TPoint p) const;

    TWidgetImpl& Impl() const { return *FImpl; }

protected:
    TWidget(TWidget* parent, std::unique_ptr<TWidgetImpl> impl);

private:
    friend struct TWidgetImpl;
    friend class TPanel;
    TWidget* FParent;
    std::unique_ptr<TWidgetImpl> FImpl;
    TAlign FAlign{alNone};
    bool FHidden{false}; // hidden on purpose: the layout leaves it out
    TColor FColor{clNone};
    TColor FTextColor{clWindowText};
};

// A piece that holds others and places its aligned ones whenever its size changes.
class TPanel : public TWidget {
public:
    explicit TPanel(TWidget* parent);

    // A one-pixel line around the panel, drawn in the text colour (so that a change of that
    // colour can show the keyboard focus inside).
    void SetBorderLine(bool on);
    // Places the aligned children again; the backend calls it whenever the panel's size
    // changes, then OnResize.
    void Realign();
    std::function<void()> OnResize;
    // The part of the panel its children are placed in: inside the border line.
    TRect ClientArea() const;

    // Makes a child owned by this panel, for pieces nobody refers to later.
    template <typename T, typename... A> T* Make(A&&... args) {
        auto piece = std::make_unique<T>(this, std::forward<A>(args)...);
        T* raw = piece.get();
        Owned.push_back(std::move(piece));
        return raw;
    }

protected:
    TPanel(TWidget* parent, std::unique_ptr<TWidgetImpl> impl);

private:
    friend class TWidget;
    std::vector<TWidget*> Children;
    std::vector<std::unique_ptr<TWidget>> Owned;
    int BorderWidth{0};
};

// One of the system's own controls (the tree, the viewer) placed in a panel. The control
// stays the owner's; this piece only places it.
class TControlPiece : public TWidget {
public:
    TControlPiece(TWidget* parent, TControl& control);
    ~TControlPiece() override;
    TControl& Control() const { return FControl; }

private:
    TControl& FControl;
};

class TLabel : public TWidget {
public:
    TLabel(TWidget* parent, const std::u16string& caption = {});
    void SetCaption(const std::u16string& caption);
    const std::u16string& Caption() const { return FCaption; }
    void SetAlignment(THorzAlign align, bool verticalCentre = true);
    // Long captions wrap onto further lines instead of being cut.
    void SetWordWrap(bool wrap);
    // Space kept free left and right of the text.
    void SetMargins(int left, int right);
    // The width and height the caption needs in the label's font.
    int TextWidth() const;
    int TextHeight() const;
    // A left-button press and release over the label.
    std::function<void()> OnClick;

private:
    std::u16string FCaption;
};

// A lowered line along the top edge: shadow above, highlight below.
class TBevel : public TWidget {
public:
    explicit TBevel(TWidget* parent);
};

// A picture shown at its logical size from the top-left corner, optionally in a sunken frame.
class TImage : public TWidget {
public:
    explicit TImage(TWidget* parent);
    void SetPicture(const TBitmap& picture);
    // The picture shown, empty until set.
    const TBitmap& Picture() const { return *FPicture; }
    ~TImage() override;

private:
    std::unique_ptr<TBitmap> FPicture;
};

// A sunken two-pixel frame (the edge around a picture).
class TSunkenFrame : public TPanel {
public:
    explicit TSunkenFrame(TWidget* parent);
};

class TEdit : public TWidget {
public:
    explicit TEdit(TWidget* parent);
    std::u16string Text() const;
    // Replaces the text; OnChange follows.
    void SetText(const std::u16string& text);
    void SelectAll();
    // Types the character at the caret, as the keyboard would.
    void TypeChar(char16_t ch);
    // The grey hint shown while the box is empty.
    void SetTextHint(const std::u16string& hint);
    void SetHintColor(TColor color);

    std::function<void()> OnChange, OnEnter, OnExit;
    // Every key first; true when the handler used it.
    std::function<bool(const TKeyStroke& key)> OnKeyDown;
    // The character a key typed (13 for Enter); set to 0 to drop it.
    std::function<void(char16_t& ch)> OnKeyPress;
};

// Several lines of plain text with scroll bars of its own; lines are not wrapped, so a
// register's columns stay in place. Tab moves the keyboard focus on instead of typing a tab.
class TMemo : public TWidget {
public:
    explicit TMemo(TWidget* parent);
    std::u16string Text() const;
    // Replaces the text; OnChange follows.
    void SetText(const std::u16string& text);
    // Puts the text at the caret in place of the selection, as pasting it would: OnChange, then
    // OnPaste.
    void Paste(const std::u16string& text);
    void SelectAll();
    // The grey hint shown while the area is empty.
    void SetTextHint(const std::u16string& hint);

    std::function<void()> OnChange;
    // Text came in from the clipboard (after its OnChange).
    std::function<void()> OnPaste;
};

// A drop-down list of fixed texts, one of them chosen.
class TComboBox : public TWidget {
public:
    explicit TComboBox(TWidget* parent);
    // Replaces the texts; the chosen index stays when it is still one of them (without
    // OnChange), else the first is chosen.
    void SetItems(const std::vector<std::u16string>& items);
    int ItemCount() const;
    std::u16string Item(int index) const;
    // The chosen item; -1 while there are none.
    int ItemIndex() const;
    // Chooses an item; OnChange follows when the choice changed.
    void SetItemIndex(int index);
    // The user, or SetItemIndex, chose another item.
    std::function<void()> OnChange;
};

class TButton : public TWidget {
public:
    // "&" marks the letter that Alt presses the button with.
    TButton(TWidget* parent, const std::u16string& caption);
    std::function<void()> OnClick;
    void Click();
};

// Two panes side by side with a bar between them that the user drags. Growing the splitter
// widens the first pane only; each pane keeps at least its minimum width.
class TSplitter : public TWidget {
public:
    explicit TSplitter(TWidget* parent);
    ~TSplitter() override;
    TPanel& First() const { return *FFirst; }
    TPanel& Second() const { return *FSecond; }
    void SetBarWidth(int width);
    void SetSizes(int first, int second);

private:
    std::unique_ptr<TPanel> FFirst, FSecond;
};

class TMenuCommand {
public:
    ~TMenuCommand();
    const std::u16string& Caption() const { return FCaption; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    // The command as choosing it from the menu runs it.
    void Click();
    const std::vector<TShortCut>& ShortCuts() const { return FShortCuts; }
    std::function<void()> OnClick;

    // The backend's command object.
    struct TImpl;
    TImpl& Impl() const { return *FImpl; }

private:
    friend class TForm;
    TMenuCommand(std::u16string caption, std::vector<TShortCut> shortCuts);
    std::u16string FCaption;
    std::vector<TShortCut> FShortCuts;
    bool FEnabled{true};
    std::unique_ptr<TImpl> FImpl;
};

class TStatusBar : public TWidget {
public:
    explicit TStatusBar(TWidget* parent);
    // The text shown while nothing else is said.
    void SetSimpleText(const std::u16string& text);
    std::u16string SimpleText() const;
    // A passing message that covers the simple text until the next one or ClearMessage.
    void ShowMessage(const std::u16string& text);
    void ClearMessage();
    std::u16string Message() const;
};

enum class TFormStyle {
    fsMain,   // resizable, with a menu bar and a status bar
    fsDialog, // fixed size, a title with a close button, modal when shown so
    fsSplash, // no frame, no title
    fsWindow, // resizable, with a status bar and no menu; shown beside its owner, not modal
};
using enum TFormStyle;

class TForm : public TPanel {
public:
    explicit TForm(TFormStyle style, TForm* owner = nullptr);
    ~TForm() override;

    void SetCaption(const std::u16string& caption);
    std::u16string Caption() const;
    // The size of the area inside the frame, menu and status bar.
    void SetClientSize(int width, int height);
    int ClientWidth() const;
    int ClientHeight() const;

    void Maximize();
    void ShowNormal();
    bool Maximized() const;
    void CenterOnScreen();
    // Shows the window, above the others, with the keyboard focus in it.
    void Activate();
    // Shows the window and paints it at once, before long work without messages.
    void RepaintNow();
    void Close();

    // Shows the form until Close; returns after it is hidden again.
    void ShowModal();

    // The menu bar: top-level menus and their commands (fsMain).
    int AddMenu(const std::u16string& caption);
    TMenuCommand* AddMenuItem(int menu, const std::u16string& caption,
                              std::vector<TShortCut> shortCuts = {});
    void AddMenuSeparator(int menu);
    TStatusBar* StatusBar() const { return FStatusBar.get(); }

    // The order Tab moves the keyboard focus in; round again after the last.
    void SetTabOrder(const std::vector<TWidget*>& order);

    // Every key pressed in the window, before the piece with the focus gets it; true when the
    // handler used it.
    std::function<bool(const TKeyStroke& key)> OnKeyPreview;
    // The mouse's back and forward buttons, wherever the pointer is in the window.
    std::function<void(bool forward)> OnNavigateButton;
    // The keyboard focus moved, within the window or into it.
    std::function<void()> OnFocusChanged;
    // The window is being closed.
    std::function<void()> OnClose;

private:
    std::unique_ptr<TStatusBar> FStatusBar;
    std::vector<std::unique_ptr<TMenuCommand>> FMenuItems;
};

// A timer of the window's thread: OnTimer after each interval until stopped (or once).
class TTimer {
public:
    TTimer();
    ~TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;
    void SetInterval(unsigned milliseconds);
    void SetSingleShot(bool once);
    void Start();
    void Stop();
    bool Active() const;
    std::function<void()> OnTimer;

    struct TImpl;

private:
    std::unique_ptr<TImpl> FImpl;
};
