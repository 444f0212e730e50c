#include "platform/forms/Controls.h"

#include <algorithm>
#include <cmath>

#include "platform/automation/Error.h"
#include "platform/forms/Form.h"
#include "platform/forms/UserAction.h"
#include "platform/forms/UserDriver.h"

namespace platform::forms {

using platform::automation::Err;

namespace {

void RaiseError(int32_t number) {
    Err().Raise(number, "", [&]() -> std::string {
        switch (number) {
        case errors::InvalidPropertyValue: return "Invalid property value";
        case errors::InvalidPropertyIndex: return "Invalid property array index";
        case errors::TextReadOnly: return "'Text' property is read-only";
        case errors::IndexOutOfBounds: return "Index out of bounds";
        case errors::ElementNotFound: return "Element not found";
        case errors::KeyNotUnique: return "Key is not unique in collection";
        default: return "";
        }
    }());
}

std::string Utf8Of(uint32_t cp) {
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

// Splits UTF-8 text into characters; a stray byte stands for itself.
std::vector<std::pair<uint32_t, std::string>> Characters(const std::string& text) {
    std::vector<std::pair<uint32_t, std::string>> out;
    for (size_t i = 0; i < text.size();) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t length = lead < 0x80         ? 1
                        : (lead >> 5) == 6  ? 2
                        : (lead >> 4) == 14 ? 3
                        : (lead >> 3) == 30 ? 4
                                            : 1;
        if (i + length > text.size()) length = 1;
        uint32_t cp = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out.emplace_back(cp, text.substr(i, length));
        i += length;
    }
    return out;
}

void PopLastCharacter(std::string& text) {
    if (text.empty()) return;
    size_t end = text.size() - 1;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    text.erase(end);
}

// The text after a typed key, or the text unchanged for keys that edit nothing (Enter, Escape).
std::string EditedText(const std::string& current, bool& selectAll, int16_t keyAscii,
                       const std::string& typed) {
    if (keyAscii != vbKeyBack && keyAscii < 32) return current;
    std::string text = selectAll ? std::string() : current;
    if (keyAscii == vbKeyBack) {
        if (!selectAll) PopLastCharacter(text);
    } else {
        text += typed;
    }
    selectAll = false;
    return text;
}

std::string Verb(UserAction::Kind kind) {
    switch (kind) {
    case UserAction::Kind::Type: return "type into";
    case UserAction::Kind::Append: return "type into";
    case UserAction::Kind::Pick: return "pick an entry of";
    case UserAction::Kind::Tick: return "tick";
    case UserAction::Kind::Untick: return "untick";
    case UserAction::Kind::Choose: return "choose";
    case UserAction::Kind::Click: return "click";
    case UserAction::Kind::DblClick: return "double-click";
    case UserAction::Kind::Tab: return "pick a tab of";
    case UserAction::Kind::Node: return "pick a node of";
    case UserAction::Kind::Key: return "press a key on";
    case UserAction::Kind::Focus: return "move the focus to";
    default: return "act on";
    }
}

std::string Marked(bool mark, const std::string& text) {
    return (mark ? "*" : "") + Quote(text);
}

std::string Number(float value) {
    if (std::floor(value) == value) return std::to_string(static_cast<long long>(value));
    std::string text = std::to_string(value);
    while (!text.empty() && text.back() == '0')
        text.pop_back();
    return text;
}

} // namespace

// --- Control -------------------------------------------------------------------------------------------

Control::Control(Form& form, std::string name, Frame* container)
    : form_(form), name_(std::move(name)), container_(container) {
    form_.Register(this);
}

Control::~Control() {
    form_.Unregister(this);
}

bool Control::EffectiveEnabled() const {
    return Enabled && (!container_ || container_->EffectiveEnabled());
}

bool Control::EffectiveVisible() const {
    return IsVisual() && Visible && (container_ ? container_->EffectiveVisible() : form_.Visible());
}

std::string Control::CheckUser(const UserAction& action) const {
    using K = UserAction::Kind;
    if (action.kind == K::DblClick) return "";
    if ((action.kind == K::Key || action.kind == K::Focus) && CanFocus()) return "";
    std::string hint;
    if (action.kind == K::Click && dynamic_cast<const CheckBox*>(this)) hint = " (tick or untick it)";
    if (action.kind == K::Click && dynamic_cast<const OptionButton*>(this)) hint = " (choose it)";
    return "cannot " + Verb(action.kind) + " " + name_ + ", a " + KindName() + hint;
}

void Control::DoUser(const UserAction& action) {
    switch (action.kind) {
    case UserAction::Kind::Key: PressKey(action.keyCode, action.keyAscii); break;
    case UserAction::Kind::DblClick: Raise(DblClick); break;
    default: break;
    }
}

void Control::KeyTyped(int16_t, const std::string&) {}

void Control::PressKey(int16_t keyCode, int16_t keyAscii) {
    int16_t down = keyCode;
    if (KeyDown) KeyDown(down, 0);
    if (keyAscii != 0) {
        int16_t key = keyAscii;
        if (KeyPress) KeyPress(key);
        if (key != 0) KeyTyped(key, Utf8Of(static_cast<uint16_t>(key)));
    }
    int16_t up = keyCode;
    if (KeyUp) KeyUp(up, 0);
}

void Control::TypeText(const std::string& text) {
    for (const auto& [cp, typed] : Characters(text)) {
        // Handlers see the key as the ANSI code page has it; characters beyond it arrive as they are.
        int16_t original = static_cast<int16_t>(cp <= 0x7FFF ? cp : '?');
        int16_t key = original;
        if (KeyPress) KeyPress(key);
        if (key == 0) continue;
        KeyTyped(key, key == original ? typed : Utf8Of(static_cast<uint16_t>(key)));
    }
}

// --- simple controls ----------------------------------------------------------------------------------

std::string Label::State() const {
    return Quote(Caption);
}

std::string Frame::State() const {
    return Quote(Caption);
}

std::string CommandButton::State() const {
    return Quote(Caption) + (Default ? " default" : "") + (Cancel ? " cancel" : "");
}

std::string CommandButton::CheckUser(const UserAction& action) const {
    return action.kind == UserAction::Kind::Click ? "" : Control::CheckUser(action);
}

void CommandButton::DoUser(const UserAction& action) {
    bool pressed = action.kind == UserAction::Kind::Key &&
                   (action.keyAscii == vbKeyReturn || action.keyAscii == vbKeySpace);
    if (action.kind == UserAction::Kind::Click || pressed) {
        Raise(Click);
        return;
    }
    Control::DoUser(action);
}

void TextBox::SetText(std::string text) {
    if (text == text_) return;
    text_ = std::move(text);
    Raise(Change);
}

std::string TextBox::DisplayText() const {
    if (PasswordChar.empty()) return text_;
    std::string masked;
    for (size_t i = 0; i < Characters(text_).size(); ++i)
        masked += PasswordChar;
    return masked;
}

std::string TextBox::State() const {
    return Quote(DisplayText());
}

std::string TextBox::CheckUser(const UserAction& action) const {
    using K = UserAction::Kind;
    return action.kind == K::Type || action.kind == K::Append ? "" : Control::CheckUser(action);
}

void TextBox::DoUser(const UserAction& action) {
    using K = UserAction::Kind;
    if (action.kind != K::Type && action.kind != K::Append) return Control::DoUser(action);
    selectAll_ = action.kind == K::Type && !text_.empty();
    if (selectAll_ && action.text.empty()) SetText(""); // select all, Delete
    TypeText(action.text);
    selectAll_ = false;
}

void TextBox::KeyTyped(int16_t keyAscii, const std::string& typed) {
    SetText(EditedText(text_, selectAll_, keyAscii, typed));
}

void CheckBox::SetValue(int16_t value) {
    if (value < vbUnchecked || value > vbGrayed) {
        RaiseError(errors::InvalidPropertyValue);
        return;
    }
    if (value == value_) return;
    value_ = value;
    Raise(Click);
}

std::string CheckBox::State() const {
    return Quote(Caption) + (value_ == vbChecked ? " [x]" : value_ == vbGrayed ? " [-]" : " [ ]");
}

std::string CheckBox::CheckUser(const UserAction& action) const {
    using K = UserAction::Kind;
    if (action.kind == K::Tick) return value_ == vbChecked ? Name() + " is ticked already" : "";
    if (action.kind == K::Untick) return value_ == vbUnchecked ? Name() + " is not ticked" : "";
    return Control::CheckUser(action);
}

void CheckBox::DoUser(const UserAction& action) {
    using K = UserAction::Kind;
    if (action.kind == K::Tick) return SetValue(vbChecked);
    if (action.kind == K::Untick) return SetValue(vbUnchecked);
    if (action.kind == K::Key && action.keyAscii == vbKeySpace) {
        SetValue(value_ == vbChecked ? vbUnchecked : vbChecked);
        return;
    }
    Control::DoUser(action);
}

void OptionButton::SetValue(bool value) {
    if (!value) {
        value_ = false;
        return;
    }
    if (value_) return;
    for (Control* control : Parent().Controls()) {
        auto* other = dynamic_cast<OptionButton*>(control);
        if (other && other != this && other->Container() == Container()) other->value_ = false;
    }
    value_ = true;
    Raise(Click);
}

std::string OptionButton::State() const {
    return Quote(Caption) + (value_ ? " (o)" : " ( )");
}

std::string OptionButton::CheckUser(const UserAction& action) const {
    return action.kind == UserAction::Kind::Choose ? "" : Control::CheckUser(action);
}

void OptionButton::DoUser(const UserAction& action) {
    if (action.kind != UserAction::Kind::Choose) return Control::DoUser(action);
    // The user's click on the selected button still is a click.
    if (value_)
        Raise(Click);
    else
        SetValue(true);
}

// --- lists ------------------------------------------------------------------------------------------

void ListControl::AddItem(std::string item, int index) {
    if (index < -1 || index > ListCount()) {
        Err().Raise(errors::InvalidProcedureCall);
        return;
    }
    size_t at = index == -1 ? items_.size() : static_cast<size_t>(index);
    items_.insert(items_.begin() + static_cast<long>(at), std::move(item));
    selected_.insert(selected_.begin() + static_cast<long>(at), false);
    if (listIndex_ >= 0 && static_cast<int>(at) <= listIndex_) ++listIndex_;
}

void ListControl::RemoveItem(int index) {
    if (index < 0 || index >= ListCount()) {
        Err().Raise(errors::InvalidProcedureCall);
        return;
    }
    items_.erase(items_.begin() + index);
    selected_.erase(selected_.begin() + index);
    if (index == listIndex_)
        listIndex_ = -1;
    else if (index < listIndex_)
        --listIndex_;
}

void ListControl::Clear() {
    items_.clear();
    selected_.clear();
    listIndex_ = -1;
}

std::string ListControl::List(int index) const {
    if (index < 0 || index >= ListCount()) {
        RaiseError(errors::InvalidPropertyIndex);
        return "";
    }
    return items_[static_cast<size_t>(index)];
}

void ListControl::SetList(int index, std::string item) {
    if (index < 0 || index >= ListCount()) {
        RaiseError(errors::InvalidPropertyIndex);
        return;
    }
    items_[static_cast<size_t>(index)] = std::move(item);
}

void ListControl::SetListIndex(int index) {
    if (index < -1 || index >= ListCount()) {
        RaiseError(errors::InvalidPropertyValue);
        return;
    }
    if (index == listIndex_) return;
    listIndex_ = index;
    if (index >= 0) Raise(Click);
}

int ListControl::FindEntry(std::string_view text) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i] == text) return static_cast<int>(i);
    return -1;
}

int ListControl::PickedEntry(const UserAction& action) const {
    if (action.index >= 0) return action.index < ListCount() ? action.index : -1;
    return FindEntry(action.text);
}

std::string ListControl::CheckUser(const UserAction& action) const {
    if (action.kind != UserAction::Kind::Pick) return Control::CheckUser(action);
    if (PickedEntry(action) >= 0) return "";
    if (action.index >= 0) return Name() + " has no entry #" + std::to_string(action.index);
    return Name() + " has no entry " + Quote(action.text);
}

std::string ListControl::ItemsState() const {
    std::string out = "[";
    for (size_t i = 0; i < items_.size(); ++i) {
        if (i) out += ", ";
        out += Marked(selected_[i] || static_cast<int>(i) == listIndex_, items_[i]);
    }
    return out + "]";
}

void ComboBox::SetText(std::string text) {
    if (Style == vbComboDropdownList) {
        int entry = FindEntry(text);
        if (entry < 0) {
            RaiseError(errors::TextReadOnly);
            return;
        }
        SetListIndex(entry);
        return;
    }
    if (text == text_) return;
    text_ = std::move(text);
    if (listIndex_ >= 0 && items_[static_cast<size_t>(listIndex_)] != text_) listIndex_ = -1;
    Raise(Change);
}

void ComboBox::SetListIndex(int index) {
    if (index < -1 || index >= ListCount()) {
        RaiseError(errors::InvalidPropertyValue);
        return;
    }
    if (index == listIndex_) return;
    listIndex_ = index;
    text_ = index >= 0 ? items_[static_cast<size_t>(index)] : std::string();
    if (index >= 0) Raise(Click);
}

void ComboBox::Clear() {
    ListControl::Clear();
    text_.clear();
}

std::string ComboBox::State() const {
    return Quote(text_) + " " + ItemsState() + (Style == vbComboDropdownList ? " list" : "");
}

std::string ComboBox::CheckUser(const UserAction& action) const {
    using K = UserAction::Kind;
    if (action.kind == K::Type || action.kind == K::Append)
        return Style == vbComboDropdownList ? Name() + " is a drop-down list; pick one of its entries" : "";
    return ListControl::CheckUser(action);
}

void ComboBox::DoUser(const UserAction& action) {
    using K = UserAction::Kind;
    if (action.kind == K::Pick) {
        // Choosing from the drop-down is a click even when the entry was selected already.
        int entry = PickedEntry(action);
        listIndex_ = entry;
        text_ = items_[static_cast<size_t>(entry)];
        Raise(Click);
        return;
    }
    if (action.kind != K::Type && action.kind != K::Append) return Control::DoUser(action);
    selectAll_ = action.kind == K::Type && !text_.empty();
    if (selectAll_ && action.text.empty()) SetText("");
    TypeText(action.text);
    selectAll_ = false;
}

void ComboBox::KeyTyped(int16_t keyAscii, const std::string& typed) {
    SetText(EditedText(text_, selectAll_, keyAscii, typed));
}

bool ListBox::Selected(int index) const {
    if (index < 0 || index >= ListCount()) {
        RaiseError(errors::InvalidPropertyIndex);
        return false;
    }
    return MultiSelect == vbMultiSelectNone ? index == listIndex_ : selected_[static_cast<size_t>(index)];
}

void ListBox::SetSelected(int index, bool selected) {
    if (index < 0 || index >= ListCount()) {
        RaiseError(errors::InvalidPropertyIndex);
        return;
    }
    if (MultiSelect == vbMultiSelectNone) {
        if (selected)
            SetListIndex(index);
        else if (index == listIndex_)
            listIndex_ = -1;
        return;
    }
    if (selected_[static_cast<size_t>(index)] == selected) return;
    selected_[static_cast<size_t>(index)] = selected;
    listIndex_ = index;
    Raise(Click);
}

int ListBox::SelCount() const {
    if (MultiSelect == vbMultiSelectNone) return listIndex_ >= 0 ? 1 : 0;
    return static_cast<int>(std::count(selected_.begin(), selected_.end(), true));
}

std::string ListBox::Text() const {
    return listIndex_ >= 0 ? items_[static_cast<size_t>(listIndex_)] : std::string();
}

void ListBox::SetListIndex(int index) {
    // In a multi-select list the index is only the current entry; the marks stay as they are.
    ListControl::SetListIndex(index);
}

void ListBox::Clear() {
    ListControl::Clear();
}

std::string ListBox::State() const {
    if (MultiSelect == vbMultiSelectNone) return ItemsState();
    std::string out = "[";
    for (size_t i = 0; i < items_.size(); ++i)
        out += (i ? ", " : "") + Marked(selected_[i], items_[i]);
    return out + "] multi";
}

void ListBox::DoUser(const UserAction& action) {
    if (action.kind != UserAction::Kind::Pick) return Control::DoUser(action);
    int entry = PickedEntry(action);
    if (MouseDown) MouseDown(vbLeftButton, 0, 0, 0);
    if (MultiSelect != vbMultiSelectNone)
        selected_[static_cast<size_t>(entry)] = !selected_[static_cast<size_t>(entry)];
    listIndex_ = entry;
    Raise(Click);
}

// --- tab strip, status bar, progress bar, image list ------------------------------------------------------

Tab& TabCollection::Add(std::string caption, std::string key, std::string toolTipText) {
    auto tab = std::make_unique<Tab>();
    tab->Caption = std::move(caption);
    tab->Key = std::move(key);
    tab->ToolTipText = std::move(toolTipText);
    tab->Index = Count() + 1;
    tabs_.push_back(std::move(tab));
    if (strip_.selected_ == 0) strip_.selected_ = 1;
    return *tabs_.back();
}

Tab& TabCollection::Item(int index) {
    if (index < 1 || index > Count()) {
        RaiseError(errors::IndexOutOfBounds);
        detached_ = Tab{};
        return detached_;
    }
    return *tabs_[static_cast<size_t>(index - 1)];
}

void TabCollection::Clear() {
    tabs_.clear();
    strip_.selected_ = 0;
}

TabStrip::TabStrip(Form& form, std::string name, Frame* container)
    : Control(form, std::move(name), container), tabs_(*this) {}

Tab* TabStrip::SelectedItem() {
    return selected_ ? tabs_.tabs_[static_cast<size_t>(selected_ - 1)].get() : nullptr;
}

void TabStrip::SelectTab(int index) {
    if (index < 1 || index > tabs_.Count()) {
        RaiseError(errors::IndexOutOfBounds);
        return;
    }
    if (index == selected_) return;
    selected_ = index;
    Raise(Click);
}

std::string TabStrip::State() const {
    std::string out = "[";
    for (const auto& tab : tabs_.tabs_)
        out += (tab->Index > 1 ? ", " : "") + Marked(tab->Index == selected_, tab->Caption);
    return out + "]";
}

int TabStrip::TabOf(const UserAction& action) const {
    if (action.index >= 0) return action.index >= 1 && action.index <= tabs_.Count() ? action.index : 0;
    for (const auto& tab : tabs_.tabs_)
        if (tab->Caption == action.text) return tab->Index;
    // The user sees no accelerator marks, so "Resources" names the tab "&Resources".
    for (const auto& tab : tabs_.tabs_) {
        std::string shown = tab->Caption;
        shown.erase(std::remove(shown.begin(), shown.end(), '&'), shown.end());
        if (shown == action.text) return tab->Index;
    }
    return 0;
}

std::string TabStrip::CheckUser(const UserAction& action) const {
    if (action.kind != UserAction::Kind::Tab) return Control::CheckUser(action);
    if (TabOf(action) > 0) return "";
    return Name() + " has no tab " +
           (action.index >= 0 ? "#" + std::to_string(action.index) : Quote(action.text));
}

void TabStrip::DoUser(const UserAction& action) {
    if (action.kind != UserAction::Kind::Tab) return Control::DoUser(action);
    selected_ = TabOf(action);
    Raise(Click);
}

StatusBar::StatusBar(Form& form, std::string name, Frame* container)
    : Control(form, std::move(name), container) {
    AddPanel();
}

Panel& StatusBar::Panels(int index) {
    if (index < 1 || index > PanelCount()) {
        RaiseError(errors::IndexOutOfBounds);
        detached_ = Panel{};
        return detached_;
    }
    return *panels_[static_cast<size_t>(index - 1)];
}

Panel& StatusBar::AddPanel(std::string text, std::string key) {
    auto panel = std::make_unique<Panel>();
    panel->Text = std::move(text);
    panel->Key = std::move(key);
    panel->Index = PanelCount() + 1;
    panels_.push_back(std::move(panel));
    return *panels_.back();
}

std::string StatusBar::DisplayText() const {
    if (Style == sbrSimple) return SimpleText;
    std::string out;
    for (const auto& panel : panels_)
        out += (panel->Index > 1 ? " | " : "") + panel->Text;
    return out;
}

std::string StatusBar::State() const {
    return Quote(DisplayText());
}

void ProgressBar::SetValue(float value) {
    if (value < Min || value > Max) {
        RaiseError(errors::InvalidPropertyValue);
        return;
    }
    value_ = value;
}

std::string ProgressBar::DisplayText() const {
    return Number(value_);
}

std::string ProgressBar::State() const {
    return Number(value_) + " of " + Number(Min) + ".." + Number(Max);
}

int ImageList::Add(std::string key) {
    keys_.push_back(std::move(key));
    return Count();
}

std::string ImageList::State() const {
    return std::to_string(Count()) + " images";
}

// --- tree view --------------------------------------------------------------------------------------

const std::vector<Node*>& Node::Siblings() const {
    return parent_ ? parent_->children_ : owner_->roots_;
}

int Node::Index() const {
    const auto& all = owner_->nodes_;
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i].get() == this) return static_cast<int>(i) + 1;
    return 0;
}

Node* Node::Next() const {
    const auto& siblings = Siblings();
    auto at = std::find(siblings.begin(), siblings.end(), this);
    return at + 1 < siblings.end() ? *(at + 1) : nullptr;
}

Node* Node::Previous() const {
    const auto& siblings = Siblings();
    auto at = std::find(siblings.begin(), siblings.end(), this);
    return at != siblings.begin() ? *(at - 1) : nullptr;
}

Node* Node::FirstSibling() const {
    return Siblings().front();
}

Node* Node::LastSibling() const {
    return Siblings().back();
}

Node* Node::Root() const {
    const Node* node = this;
    while (node->parent_)
        node = node->parent_;
    return const_cast<Node*>(node);
}

bool Node::Selected() const {
    return owner_->tree_.SelectedItem() == this;
}

Node* NodeCollection::Add(const std::string& relative, int16_t relationship, std::string key,
                          std::string text, int image) {
    if (relative.empty())
        return Add(static_cast<Node*>(nullptr), relationship, std::move(key), std::move(text), image);
    Node* anchor = Find(relative);
    if (!anchor) {
        RaiseError(errors::ElementNotFound);
        return nullptr;
    }
    return Add(anchor, relationship, std::move(key), std::move(text), image);
}

Node* NodeCollection::Add(Node* relative, int16_t relationship, std::string key, std::string text,
                          int image) {
    if (!key.empty() && Find(key)) {
        RaiseError(errors::KeyNotUnique);
        return nullptr;
    }
    if (relative && relative->owner_ != this) {
        RaiseError(errors::ElementNotFound);
        return nullptr;
    }
    if (relative && (relationship < tvwFirst || relationship > tvwChild)) {
        Err().Raise(errors::InvalidProcedureCall);
        return nullptr;
    }
    auto owned = std::make_unique<Node>();
    Node* node = owned.get();
    node->owner_ = this;
    node->key_ = std::move(key);
    node->Text = std::move(text);
    node->Image = image;
    if (!relative) {
        roots_.push_back(node);
    } else if (relationship == tvwChild) {
        node->parent_ = relative;
        relative->children_.push_back(node);
    } else {
        node->parent_ = relative->parent_;
        auto& siblings = relative->parent_ ? relative->parent_->children_ : roots_;
        auto at = std::find(siblings.begin(), siblings.end(), relative);
        switch (relationship) {
        case tvwFirst: siblings.insert(siblings.begin(), node); break;
        case tvwLast: siblings.push_back(node); break;
        case tvwNext: siblings.insert(at + 1, node); break;
        case tvwPrevious: siblings.insert(at, node); break;
        }
    }
    nodes_.push_back(std::move(owned));
    return node;
}

Node* NodeCollection::Item(int index) const {
    if (index < 1 || index > Count()) {
        RaiseError(errors::IndexOutOfBounds);
        return nullptr;
    }
    return nodes_[static_cast<size_t>(index - 1)].get();
}

Node* NodeCollection::Item(std::string_view key) const {
    Node* node = Find(key);
    if (!node) RaiseError(errors::ElementNotFound);
    return node;
}

Node* NodeCollection::Find(std::string_view key) const {
    if (key.empty()) return nullptr;
    for (const auto& node : nodes_)
        if (node->key_ == key) return node.get();
    return nullptr;
}

void NodeCollection::Detach(Node* node) {
    for (Node* child : std::vector<Node*>(node->children_))
        Detach(child);
    if (tree_.selected_ == node) tree_.selected_ = nullptr;
    auto& siblings = node->parent_ ? node->parent_->children_ : roots_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), node), siblings.end());
    nodes_.erase(
        std::remove_if(nodes_.begin(), nodes_.end(), [&](const auto& owned) { return owned.get() == node; }),
        nodes_.end());
}

void NodeCollection::Remove(std::string_view key) {
    if (Node* node = Item(key)) Detach(node);
}

void NodeCollection::Clear() {
    roots_.clear();
    nodes_.clear();
    tree_.selected_ = nullptr;
}

std::vector<Node*> NodeCollection::InDisplayOrder() const {
    std::vector<Node*> out;
    std::function<void(const std::vector<Node*>&)> walk = [&](const std::vector<Node*>& level) {
        for (Node* node : level) {
            out.push_back(node);
            walk(node->children_);
        }
    };
    walk(roots_);
    return out;
}

TreeView::TreeView(Form& form, std::string name, Frame* container)
    : Control(form, std::move(name), container), nodes_(*this) {}

std::string TreeView::State() const {
    std::string out = std::to_string(nodes_.Count()) + " nodes";
    if (selected_) out += ", selected " + Quote(selected_->Key());
    return out;
}

std::vector<std::string> TreeView::Details() const {
    std::vector<std::string> lines;
    for (Node* node : nodes_.InDisplayOrder()) {
        int depth = 0;
        for (Node* up = node->Parent(); up; up = up->Parent())
            ++depth;
        lines.push_back(std::string(static_cast<size_t>(2 * depth), ' ') +
                        Marked(node == selected_, node->Key()) + " " + Quote(node->Text));
    }
    return lines;
}

Node* TreeView::NodeOf(const UserAction& action) const {
    if (Node* node = nodes_.Find(action.text)) return node;
    for (Node* node : nodes_.InDisplayOrder())
        if (node->Text == action.text) return node;
    return nullptr;
}

std::string TreeView::CheckUser(const UserAction& action) const {
    if (action.kind != UserAction::Kind::Node) return Control::CheckUser(action);
    return NodeOf(action) ? "" : Name() + " has no node " + Quote(action.text);
}

void TreeView::DoUser(const UserAction& action) {
    if (action.kind != UserAction::Kind::Node) return Control::DoUser(action);
    Node* node = NodeOf(action);
    selected_ = node;
    if (NodeClick) NodeClick(*node);
    Raise(Click);
}

} // namespace platform::forms
