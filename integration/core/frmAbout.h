#pragma once
// The About dialog: the version of the program file, and a check on the support server for a newer
// build of the same release line.
#include <cstdint>
#include <string>

#include "platform/forms/Form.h"
#include "platform/os/Ftp.h"

namespace Grantry {

class frmAbout : public platform::forms::Form {
public:
    frmAbout();

    platform::forms::Label lblCurrTxt{*this, "lblCurrTxt"};
    platform::forms::Label lblCurrVer{*this, "lblCurrVer"};
    platform::forms::Label lblAvlbTxt{*this, "lblAvlbTxt"};
    platform::forms::Label lblAvlbVer{*this, "lblAvlbVer"};
    platform::forms::Label lblAvlbSolTxt{*this, "lblAvlbSolTxt"};
    platform::forms::Label lblAvlbSolNo{*this, "lblAvlbSolNo"};
    platform::forms::Label lblStatusTxt{*this, "lblStatusTxt"};
    platform::forms::CommandButton btnUpdate{*this, "btnUpdate"};
    platform::forms::CommandButton btnOK{*this, "btnOK"};

    // The value of a key of the downloaded update file, or "" (also before a download).
    std::string GetFileContent(const std::string& strSection, const std::string& strKey);
    // Whether the library can be loaded and exports the function.
    bool APIFunctionPresent(const std::string& FunctionName, const std::string& DllName);
    // Whether a dial-up connection is active.
    bool RASConnection();
    // The upper and lower 16 bits of a 32-bit value, as 0 to 65535.
    static int32_t HIWORD(int32_t dwValue);
    static int32_t LOWORD(int32_t dwValue);

private:
    void Form_Load() override;
    void btnOK_Click();
    void btnUpdate_Click();

    void ClearLatestVersion();
    std::string GetCurrentVersion();
    void CheckForUpdate();
    bool DownloadUpdateInfo();
    void ShowInternetError(int32_t code);
    void ShowStatus(const std::string& text); // sets and repaints the status

    std::string strLocalFile;                     // the update file in the application folder
    platform::os::HINTERNET hInternetSession = 0; // 0 when not open
    platform::os::HINTERNET hFtpSession = 0;      // 0 when not open
};

} // namespace Grantry
