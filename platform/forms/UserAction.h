#pragma once
// One thing the user does on the modal form that waits for them. Drivers produce these; the form
// checks and carries them out (Form.h).
#include <cstdint>
#include <string>

namespace platform::forms {

struct UserAction {
    enum class Kind {
        Type,   // replace the text of a text box or typable combo, key by key
        Append, // type after the existing text
        Pick,   // choose a list or combo entry (by `text`, or by `index` when >= 0); toggles on multi-select
        Tick,   // tick a check box
        Untick, // clear a check box
        Choose, // select an option button
        Click,  // click a command button
        DblClick, // double-click a control
        Tab,      // choose a tab (by caption `text`, or 1-based `index` when >= 0)
        Node,     // click a tree node (by key `text`, or by its text when no key matches)
        Key,      // press a key on the control (`keyCode`, `keyAscii`)
        Focus,    // move the focus to the control only
        Close,    // the window's close box
        Abandon,  // the user is gone: the form closes without its handlers
    };
    Kind kind = Kind::Click;
    std::string control;
    std::string text;
    int index = -1;
    int16_t keyCode = 0;
    int16_t keyAscii = 0;

    // The action in script syntax without the form ("click cmdOK", "type txtName \"x\"").
    std::string Describe() const;
};

} // namespace platform::forms
