#pragma once
// A person at a terminal: the driver of the host program's interactive use. Whenever a modal form
// waits it prints the form's visible controls with their values and reads one action a line, in the
// words of a script step without the form ("click cmdOK", "type txtName \"Jo\"", "pick cboPlan #0",
// "tab tsrConnect Resources", "close"; "help" lists them). A message box is printed with its title,
// icon, text and buttons and answered by a button's name or first letter (an empty line takes the
// default button); a text prompt is answered by a line (an empty line cancels). Progress texts that
// the system repaints are printed as they come; a repaint that shows a control as its last printed
// repaint did, with nothing else printed since, changes nothing on the screen and is not printed
// again (the transcript keeps every repaint). At the end of the input forms are abandoned, boxes
// backed out of and prompts cancelled, as when the person goes away.
#include <iosfwd>
#include <map>
#include <string>

#include "platform/forms/UserDriver.h"

namespace platform::forms {

class TerminalUser : public UserDriver {
public:
    TerminalUser(std::istream& in, std::ostream& out) : in_(in), out_(out) {}

    UserAction NextAction(Form& form) override;
    int32_t AnswerBox(const MsgBoxSpec& box) override;
    std::optional<std::string> AnswerPrompt(const std::string& prompt, const std::string& title) override;
    void Refused(Form& form, const UserAction& action, const std::string& reason) override;
    void Recorded(TranscriptKind kind, const std::string& line) override;

private:
    bool ReadLine(std::string& line); // false at the end of the input
    // Something other than a repaint goes to the screen: the repaints printed so far scroll away.
    void OtherOutput() { shownRepaints_.clear(); }
    std::istream& in_;
    std::ostream& out_;
    std::map<std::string, std::string> shownRepaints_; // per repainted control (or form): its last line
};

} // namespace platform::forms
