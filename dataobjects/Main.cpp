#include "dataobjects/Main.h"

#include "platform/forms/MsgBox.h"

namespace KovaDataObjects {

platform::automation::Object CurrentManager;
platform::automation::Object CurrentList;

namespace {
constexpr const char* kLibraryTitle = "KovaProject Data Access Objects";
constexpr const char* kStandAloneText = "This Application cannot be run in the Stand Alone mode";
} // namespace

void Main(bool startedByCom) {
    if (startedByCom) return;
    platform::forms::MsgBox(std::string(kStandAloneText) + "\r\n\r\n" + " Please refer to the Application " +
                                "Documentation for information on how to use this Application",
                            platform::forms::vbCritical, kLibraryTitle);
}

} // namespace KovaDataObjects
