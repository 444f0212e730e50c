#pragma once
// Command bars of the global template: the menus ("File") and toolbars with their controls.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/msproject/Handle.h"

namespace platform::msproject {

namespace detail {
struct CommandBarData;
struct ControlData;
struct AppState;
} // namespace detail

enum MsoControlType : int32_t {
    msoControlButton = 1,
    msoControlPopup = 10,
};

class CommandBarControls;

class CommandBarControl : public Handle<detail::ControlData> {
public:
    int32_t Type() const;
    int32_t Id() const;
    int32_t Index() const; // position among its siblings
    std::string Caption() const;
    void SetCaption(const std::string& value);
    bool Enabled() const;
    void SetEnabled(bool value);
    bool BeginGroup() const;
    void SetBeginGroup(bool value);
    bool Visible() const;
    void SetVisible(bool value);
    std::string OnAction() const;
    void SetOnAction(const std::string& value);
    std::string Tag() const;
    void SetTag(const std::string& value);
    std::string Parameter() const;
    void SetParameter(const std::string& value);
    bool BuiltIn() const;
    // The items of a pop-up; Nothing for a button.
    CommandBarControls Controls() const;
    void Delete();
};

// Controls of a bar or of a pop-up, by position (1-based) or by caption (exact text).
class CommandBarControls {
public:
    int32_t Count() const;
    CommandBarControl Item(int32_t index) const;            // out of range: 5
    CommandBarControl Item(std::string_view caption) const; // missing: 5
    // A new control; Before places it at that position (1-based), else at the end.
    CommandBarControl Add(int32_t Type = msoControlButton, std::optional<int32_t> Before = {});
    LiveIterator<CommandBarControls, CommandBarControl> begin() const { return {this, 1}; }
    LiveIterator<CommandBarControls, CommandBarControl> end() const { return {this, 0}; }
    explicit operator bool() const { return bar_ || popup_; }

private:
    friend struct detail::Access;
    std::shared_ptr<detail::CommandBarData> bar_;
    std::shared_ptr<detail::ControlData> popup_;
    std::vector<std::shared_ptr<detail::ControlData>>* List() const;
};

class CommandBar : public Handle<detail::CommandBarData> {
public:
    std::string Name() const;
    int32_t Type() const;
    bool Visible() const;
    void SetVisible(bool value);
    bool BuiltIn() const;
    CommandBarControls Controls() const;
    void Delete(); // built-in bars cannot be deleted (5)
};

class CommandBars {
public:
    int32_t Count() const;
    CommandBar Item(int32_t index) const;
    CommandBar Item(std::string_view name) const; // without regard to case; missing: 5
    CommandBar Add(const std::string& Name, bool MenuBar = false);
    LiveIterator<CommandBars, CommandBar> begin() const { return {this, 1}; }
    LiveIterator<CommandBars, CommandBar> end() const { return {this, 0}; }

private:
    friend struct detail::Access;
    std::shared_ptr<detail::AppState> app_;
};

} // namespace platform::msproject
