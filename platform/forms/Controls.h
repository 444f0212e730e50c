#pragma once
// The controls of a headless form. A control is a member of its form (Form.h), constructed with the
// form, its name and, when it sits in a frame, that frame:
//
//     Frame fraActivities{*this, "fraActivities"};
//     CheckBox chkSort{*this, "chkSort", &fraActivities};
//
// Declaration order is the tab order. Properties whose setting raises an event or does something are
// accessor pairs (Text/SetText, Value/SetValue, ListIndex/SetListIndex, Selected/SetSelected,
// SelectTab); the rest are plain fields (Caption, Enabled, Visible, Tag, ToolTipText, Default, ...).
// A change made from code raises the same event as the user's, when the value really changes:
// SetListIndex and SetSelected raise Click, CheckBox/OptionButton SetValue raise Click, SetText raises
// Change, SelectTab raises Click. Events are std::function slots named as the events; a form wires
// them in its constructor: `cmdOK.Click = [this] { cmdOK_Click(); };`. Failures (an index out of
// range, a duplicate node key) are recorded in Err() and the call returns a neutral value.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/Constants.h"

namespace platform::forms {

class Form;
class Frame;
struct UserAction;

class Control {
public:
    Control(Form& form, std::string name, Frame* container = nullptr);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& Name() const { return name_; }
    Form& Parent() const { return form_; }
    Frame* Container() const { return container_; }
    void SetContainer(Frame* container) { container_ = container; }
    virtual const char* KindName() const = 0;

    bool Enabled = true;
    bool Visible = true;
    std::string ToolTipText;
    std::string Tag;
    bool TabStop = true;
    bool CausesValidation = true;

    // The own flag and every container's; visibility also needs the form to be shown.
    bool EffectiveEnabled() const;
    bool EffectiveVisible() const;

    virtual bool CanFocus() const { return false; }
    // Moves the focus here (Validate, LostFocus, GotFocus as for the user); records error 5 when the
    // control cannot take the focus (not focusable, disabled, hidden, or the form not shown).
    void SetFocus();
    // Repaints the control; the transcript records what a shown form displays after it.
    void Refresh();

    std::function<void()> Click;
    std::function<void()> DblClick;
    std::function<void()> GotFocus;
    std::function<void()> LostFocus;
    std::function<void(bool& Cancel)> Validate;
    std::function<void(int16_t& KeyCode, int16_t Shift)> KeyDown;
    std::function<void(int16_t& KeyCode, int16_t Shift)> KeyUp;
    std::function<void(int16_t& KeyAscii)> KeyPress; // set KeyAscii to 0 to drop the key
    std::function<void(int16_t Button, int16_t Shift, float X, float Y)> MouseDown;

    // What the user sees: one line of state, plus lines for the parts of the control (tree nodes).
    virtual std::string State() const = 0;
    virtual std::vector<std::string> Details() const { return {}; }
    // The text the control mainly displays (a label's caption, a status bar's text), as repainted.
    virtual std::string DisplayText() const { return State(); }
    // Controls without a face (an image list) are never shown or acted on.
    virtual bool IsVisual() const { return true; }

protected:
    static void Raise(const std::function<void()>& handler) {
        if (handler) handler();
    }
    // User actions, after the form has checked that the control is there, visible and enabled and
    // has moved the focus to it. CheckUser says why an action cannot be done ("" when it can).
    virtual std::string CheckUser(const UserAction& action) const;
    virtual void DoUser(const UserAction& action);
    // A key that got through KeyPress; text controls apply it. `typed` is the character as typed.
    virtual void KeyTyped(int16_t keyAscii, const std::string& typed);
    void PressKey(int16_t keyCode, int16_t keyAscii);
    // Types `text` character by character through KeyPress (no KeyDown/KeyUp for typed characters).
    void TypeText(const std::string& text);

private:
    friend class Form;
    Form& form_;
    std::string name_;
    Frame* container_;
};

class Label : public Control {
public:
    using Control::Control;
    const char* KindName() const override { return "Label"; }
    std::string Caption;
    std::string State() const override;
    std::string DisplayText() const override { return Caption; }
};

class Frame : public Control {
public:
    using Control::Control;
    const char* KindName() const override { return "Frame"; }
    std::string Caption;
    std::string State() const override;
};

class CommandButton : public Control {
public:
    using Control::Control;
    const char* KindName() const override { return "CommandButton"; }
    std::string Caption;
    bool Default = false; // Enter on the form clicks it
    bool Cancel = false;  // Escape clicks it; moving the focus to it does not validate
    bool CanFocus() const override { return true; }
    std::string State() const override;

protected:
    std::string CheckUser(const UserAction& action) const override;
    void DoUser(const UserAction& action) override;
};

class TextBox : public Control {
public:
    using Control::Control;
    const char* KindName() const override { return "TextBox"; }
    const std::string& Text() const { return text_; }
    void SetText(std::string text); // raises Change when the text changes
    std::string PasswordChar;       // "*": the text is shown masked
    std::function<void()> Change;
    bool CanFocus() const override { return true; }
    std::string State() const override;
    std::string DisplayText() const override;

protected:
    std::string CheckUser(const UserAction& action) const override;
    void DoUser(const UserAction& action) override;
    void KeyTyped(int16_t keyAscii, const std::string& typed) override;

private:
    std::string text_;
    bool selectAll_ = false; // while the user replaces the whole text
};

class CheckBox : public Control {
public:
    using Control::Control;
    const char* KindName() const override { return "CheckBox"; }
    std::string Caption;
    int16_t Value() const { return value_; }
    void SetValue(int16_t value); // vbUnchecked, vbChecked, vbGrayed; raises Click when it changes
    bool CanFocus() const override { return true; }
    std::string State() const override;

protected:
    std::string CheckUser(const UserAction& action) const override;
    void DoUser(const UserAction& action) override;

private:
    int16_t value_ = vbUnchecked;
};

// Option buttons with the same container (frame, or the form itself) form one group.
class OptionButton : public Control {
public:
    using Control::Control;
    const char* KindName() const override { return "OptionButton"; }
    std::string Caption;
    bool Value() const { return value_; }
    // True clears the other buttons of the group and raises Click when it was not set; false clears.
    void SetValue(bool value);
    bool CanFocus() const override { return true; }
    std::string State() const override;

protected:
    std::string CheckUser(const UserAction& action) const override;
    void DoUser(const UserAction& action) override;

private:
    bool value_ = false;
};

// What list boxes and combo boxes share: the entries and the selected index (-1 = none).
class ListControl : public Control {
public:
    using Control::Control;
    void AddItem(std::string item, int index = -1); // at the end, or before `index`
    void RemoveItem(int index);
    virtual void Clear();
    int ListCount() const { return static_cast<int>(items_.size()); }
    std::string List(int index) const; // error 381 and "" out of range
    void SetList(int index, std::string item);
    int ListIndex() const { return listIndex_; }
    // Raises Click when the index changes to an entry; -1 selects nothing and raises nothing.
    virtual void SetListIndex(int index);
    int FindEntry(std::string_view text) const; // first entry equal to text, -1 when none
    bool CanFocus() const override { return true; }

protected:
    std::string CheckUser(const UserAction& action) const override;
    // The entry a pick action names, or -1.
    int PickedEntry(const UserAction& action) const;
    std::string ItemsState() const;
    std::vector<std::string> items_;
    int listIndex_ = -1;
    std::vector<bool> selected_; // ListBox only
};

// A drop-down combo: typable (Style 0) or a drop-down list (Style 2).
class ComboBox : public ListControl {
public:
    using ListControl::ListControl;
    static constexpr int16_t vbComboDropdown = 0;
    static constexpr int16_t vbComboDropdownList = 2;
    const char* KindName() const override { return "ComboBox"; }
    int16_t Style = vbComboDropdown;
    const std::string& Text() const { return text_; }
    // Raises Change when the text changes. Text that is not the selected entry leaves nothing
    // selected: typed text never selects an entry. On a drop-down list the text must be an entry
    // (it is then selected), else error 383.
    void SetText(std::string text);
    void SetListIndex(int index) override; // the text becomes the entry
    void Clear() override;                 // entries and text
    std::function<void()> Change;
    std::string State() const override;

protected:
    std::string CheckUser(const UserAction& action) const override;
    void DoUser(const UserAction& action) override;
    void KeyTyped(int16_t keyAscii, const std::string& typed) override;

private:
    std::string text_;
    bool selectAll_ = false;
};

class ListBox : public ListControl {
public:
    using ListControl::ListControl;
    const char* KindName() const override { return "ListBox"; }
    int16_t MultiSelect = vbMultiSelectNone;
    bool Selected(int index) const; // error 381 and false out of range
    // Single selection: the same as SetListIndex(index) (or -1 when clearing the selected entry).
    // Multi-select: changes the entry's mark, makes it the current entry and raises Click.
    void SetSelected(int index, bool selected);
    int SelCount() const;
    std::string Text() const; // the current entry's text
    void SetListIndex(int index) override;
    void Clear() override;
    std::string State() const override;

protected:
    void DoUser(const UserAction& action) override;
};

class TabStrip;
struct Tab {
    std::string Caption;
    std::string Key;
    std::string ToolTipText;
    std::string Tag;
    int Index = 0; // 1-based
};

class TabCollection {
public:
    Tab& Add(std::string caption, std::string key = {}, std::string toolTipText = {});
    int Count() const { return static_cast<int>(tabs_.size()); }
    Tab& Item(int index); // 1-based; error 35600 and a detached tab out of range
    void Clear();

private:
    friend class TabStrip;
    explicit TabCollection(TabStrip& strip) : strip_(strip) {}
    TabStrip& strip_;
    std::vector<std::unique_ptr<Tab>> tabs_;
    Tab detached_;
};

// The first tab added is selected; frames shown per tab are the form's business (in its Click).
class TabStrip : public Control {
public:
    TabStrip(Form& form, std::string name, Frame* container = nullptr);
    const char* KindName() const override { return "TabStrip"; }
    TabCollection& Tabs() { return tabs_; }
    Tab& Tabs(int index) { return tabs_.Item(index); }
    Tab* SelectedItem();
    int SelectedIndex() const { return selected_; } // 1-based, 0 when there are no tabs
    void SelectTab(int index);                      // raises Click when the selection changes
    bool CanFocus() const override { return true; }
    std::string State() const override;

protected:
    std::string CheckUser(const UserAction& action) const override;
    void DoUser(const UserAction& action) override;

private:
    friend class TabCollection;
    int TabOf(const UserAction& action) const;
    TabCollection tabs_;
    int selected_ = 0;
};

struct Panel {
    std::string Text;
    std::string Key;
    int Index = 0; // 1-based
};

class StatusBar : public Control {
public:
    StatusBar(Form& form, std::string name, Frame* container = nullptr);
    const char* KindName() const override { return "StatusBar"; }
    int16_t Style = sbrNormal; // sbrSimple shows SimpleText, sbrNormal the panels
    std::string SimpleText;
    int PanelCount() const { return static_cast<int>(panels_.size()); }
    Panel& Panels(int index); // 1-based; one panel exists from the start; error 35600 out of range
    Panel& AddPanel(std::string text = {}, std::string key = {});
    std::string State() const override;
    std::string DisplayText() const override;

private:
    std::vector<std::unique_ptr<Panel>> panels_;
    Panel detached_;
};

class ProgressBar : public Control {
public:
    using Control::Control;
    const char* KindName() const override { return "ProgressBar"; }
    float Min = 0;
    float Max = 100;
    float Value() const { return value_; }
    void SetValue(float value); // error 380 outside Min..Max
    std::string State() const override;
    std::string DisplayText() const override;

private:
    float value_ = 0;
};

class ImageList : public Control {
public:
    using Control::Control;
    const char* KindName() const override { return "ImageList"; }
    int Add(std::string key = {}); // returns the new image's 1-based index
    int Count() const { return static_cast<int>(keys_.size()); }
    std::string State() const override;
    bool IsVisual() const override { return false; }

private:
    std::vector<std::string> keys_;
};

class TreeView;
class NodeCollection;

class Node {
public:
    const std::string& Key() const { return key_; }
    int Index() const; // 1-based position in the order of adding
    std::string Text;
    std::string Tag;
    int Image = 0;
    bool Expanded = false;

    Node* Parent() const { return parent_; }
    Node* Child() const { return children_.empty() ? nullptr : children_.front(); }
    int Children() const { return static_cast<int>(children_.size()); }
    Node* Next() const;
    Node* Previous() const;
    Node* FirstSibling() const;
    Node* LastSibling() const;
    Node* Root() const;
    bool Selected() const;

private:
    friend class NodeCollection;
    const std::vector<Node*>& Siblings() const;
    NodeCollection* owner_ = nullptr;
    Node* parent_ = nullptr;
    std::vector<Node*> children_;
    std::string key_;
};

class NodeCollection {
public:
    // Adds a node placed against `relative` (a key; empty: none) by `relationship`: tvwFirst/tvwLast
    // as first/last sibling of the relative, tvwNext/tvwPrevious right after/before it, tvwChild as
    // its last child. Without a relative the node becomes the last root. A key that exists (35602) or
    // a relative that does not (35601) records the error and returns nullptr; empty keys may repeat.
    Node* Add(const std::string& relative, int16_t relationship, std::string key, std::string text,
              int image = 0);
    Node* Add(Node* relative, int16_t relationship, std::string key, std::string text, int image = 0);
    int Count() const { return static_cast<int>(nodes_.size()); }
    Node* Item(int index) const;            // 1-based; error 35600 and nullptr
    Node* Item(std::string_view key) const; // error 35601 and nullptr
    Node* Find(std::string_view key) const; // nullptr, no error
    void Remove(std::string_view key);      // the node and its descendants
    void Clear();
    const std::vector<Node*>& Roots() const { return roots_; }
    std::vector<Node*> InDisplayOrder() const;

private:
    friend class TreeView;
    friend class Node;
    explicit NodeCollection(TreeView& tree) : tree_(tree) {}
    void Detach(Node* node);
    TreeView& tree_;
    std::vector<std::unique_ptr<Node>> nodes_;
    std::vector<Node*> roots_;
};

class TreeView : public Control {
public:
    TreeView(Form& form, std::string name, Frame* container = nullptr);
    const char* KindName() const override { return "TreeView"; }
    NodeCollection& Nodes() { return nodes_; }
    const NodeCollection& Nodes() const { return nodes_; }
    Node* SelectedItem() const { return selected_; }
    void SetSelectedItem(Node* node) { selected_ = node; } // no event, as from code
    ImageList* Images = nullptr;                           // the ImageList property
    std::function<void(Node& Node)> NodeClick;
    bool CanFocus() const override { return true; }
    std::string State() const override;
    std::vector<std::string> Details() const override;

protected:
    std::string CheckUser(const UserAction& action) const override;
    void DoUser(const UserAction& action) override;

private:
    friend class NodeCollection;
    Node* NodeOf(const UserAction& action) const;
    NodeCollection nodes_;
    Node* selected_ = nullptr;
};

} // namespace platform::forms
