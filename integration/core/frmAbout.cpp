#include "integration/core/frmAbout.h"

#include <cstring>
#include <vector>

#include "integration/core/AboutUpdate.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/frmLoginDetails.h"
#include "platform/forms/MsgBox.h"
#include "platform/os/FileSystem.h"
#include "platform/os/FileVersion.h"
#include "platform/os/PrivateProfile.h"

namespace Grantry {

using namespace platform::forms;
namespace os = platform::os;

frmAbout::frmAbout() : Form("frmAbout", "About the Orbel MS Project  ") {
    lblCurrTxt.Caption = "Current Orbel Version:";
    lblAvlbTxt.Caption = "Latest Orbel Version:";
    lblAvlbSolTxt.Caption = "Solution number:";
    btnUpdate.Caption = "Check for Update";
    btnOK.Caption = "OK";

    btnUpdate.Click = [this] { btnUpdate_Click(); };
    btnOK.Click = [this] { btnOK_Click(); };
}

void frmAbout::Form_Load() {
    ClearLatestVersion();
    lblCurrVer.Caption = GetCurrentVersion();
    btnUpdate.Enabled = APIFunctionPresent("GetFileVersionInfoA", "version.dll") &&
                        APIFunctionPresent("InternetOpenA", "wininet.dll");
}

void frmAbout::ClearLatestVersion() {
    lblAvlbVer.Caption.clear();
    lblAvlbSolNo.Caption.clear();
    lblStatusTxt.Caption.clear();
    lblAvlbTxt.Visible = false;
    lblAvlbVer.Visible = false;
    lblAvlbSolTxt.Visible = false;
    lblAvlbSolNo.Visible = false;
}

void frmAbout::btnOK_Click() {
    Hide();
    Unload();
}

void frmAbout::btnUpdate_Click() {
    ClearLatestVersion();
    frmLoginDetails& login = DefaultInstance<frmLoginDetails>();
    login.Load();
    login.Show(vbModal);
    if (!LoginConfirmed) return;
    Refresh();
    ShowStatus("One moment...");
    CheckForUpdate();
}

void frmAbout::ShowStatus(const std::string& text) {
    lblStatusTxt.Caption = text;
    lblStatusTxt.Refresh();
}

// --- public routines ------------------------------------------------------------------------------------

std::string frmAbout::GetFileContent(const std::string& strSection, const std::string& strKey) {
    char buffer[100] = {};
    os::GetPrivateProfileString(strSection, strKey, "", buffer, sizeof buffer, strLocalFile);
    return std::string(buffer, strnlen(buffer, sizeof buffer));
}

bool frmAbout::APIFunctionPresent(const std::string& FunctionName, const std::string& DllName) {
    return os::APIFunctionPresent(FunctionName, DllName);
}

bool frmAbout::RASConnection() {
    return os::RASConnection();
}

int32_t frmAbout::HIWORD(int32_t dwValue) {
    return static_cast<int32_t>((static_cast<uint32_t>(dwValue) >> 16) & 0xFFFFu);
}

int32_t frmAbout::LOWORD(int32_t dwValue) {
    return static_cast<int32_t>(static_cast<uint32_t>(dwValue) & 0xFFFFu);
}

// --- the version and the update check -------------------------------------------------------------------

// "" when the program file carries no readable version.
std::string frmAbout::GetCurrentVersion() {
    const std::string file = GetApplicationPath() + "/Grantry.exe";
    uint32_t handle = 0;
    const uint32_t size = os::GetFileVersionInfoSize(file, &handle);
    if (size == 0) return {};
    std::vector<unsigned char> block(size);
    if (!os::GetFileVersionInfo(file, size, block.data())) return {};
    void* data = nullptr;
    uint32_t length = 0;
    if (!os::VerQueryValue(block.data(), "\\", &data, &length) || length < sizeof(os::VS_FIXEDFILEINFO))
        return {};
    os::VS_FIXEDFILEINFO info;
    std::memcpy(&info, data, sizeof info);
    const auto ms = static_cast<int32_t>(info.dwFileVersionMS);
    const auto ls = static_cast<int32_t>(info.dwFileVersionLS);
    return std::to_string(HIWORD(ms)) + "." + std::to_string(LOWORD(ms)) + "." + std::to_string(HIWORD(ls)) +
           "." + std::to_string(LOWORD(ls));
}

void frmAbout::CheckForUpdate() {
    strLocalFile = GetApplicationPath() + "/" + kUpdateFileName;
    if (!DownloadUpdateInfo()) {
        MsgBox("Connecting failed, please try again later.", vbCritical, "Connection error.");
        return;
    }

    ShowStatus("Checking version information...");
    const std::string latest = GetFileContent(kUpdateSection, "Version");
    const std::string current = lblCurrVer.Caption;
    switch (CompareWithLatestVersion(latest, current)) {
    case UpdateVerdict::Available:
        MsgBox("An update is available on the Kova Support site.", vbInformation + vbMsgBoxSetForeground,
               "Update Available");
        lblAvlbVer.Caption = latest;
        lblAvlbSolNo.Caption = GetFileContent(kUpdateSection, "Solution");
        lblAvlbTxt.Visible = true;
        lblAvlbVer.Visible = true;
        lblAvlbSolTxt.Visible = true;
        lblAvlbSolNo.Visible = true;
        lblStatusTxt.Caption.clear();
        break;
    case UpdateVerdict::Current:
        ShowStatus("No updates available");
        MsgBox("No updates are available. You are running the latest version of the Orbel.", vbOKOnly,
               "No Updates available");
        break;
    case UpdateVerdict::Mismatch:
        MsgBox("There was an error in the determining the version of the latest integration.\r\n"
               "Please try again later or contact Kova Support.",
               vbCritical + vbMsgBoxSetForeground, "Version error");
        lblStatusTxt.Caption.clear();
        break;
    }
    os::Kill(strLocalFile);
}

bool frmAbout::DownloadUpdateInfo() {
    bool downloaded = false;
    const bool dialUpActive = RASConnection();
    const std::string server = UpdateServerAddress();

    hInternetSession = os::InternetOpen("OrbelMsP", os::INTERNET_OPEN_TYPE_DIRECT, "", "", 0);
    if (hInternetSession == 0) {
        ShowInternetError(os::GetLastError());
    } else {
        hFtpSession = os::InternetConnect(hInternetSession, server, os::INTERNET_INVALID_PORT_NUMBER,
                                          LoginDomain + "\\" + LoginUserName, LoginPassword,
                                          os::INTERNET_SERVICE_FTP, os::INTERNET_FLAG_PASSIVE, 0);
        if (hFtpSession == 0) {
            ShowInternetError(os::GetLastError());
        } else {
            ShowStatus("Connecting to " + server + "...");
            if (os::FtpGetFile(hFtpSession, kUpdateFileRemotePath, strLocalFile, false,
                               os::FILE_ATTRIBUTE_NORMAL, os::FTP_TRANSFER_TYPE_ASCII, 0)) {
                ShowStatus("Searching for update info...");
                downloaded = true;
            } else {
                ShowInternetError(os::GetLastError());
            }
        }
    }

    if (hFtpSession != 0) {
        os::InternetCloseHandle(hFtpSession);
        hFtpSession = 0;
    }
    if (hInternetSession != 0) {
        os::InternetCloseHandle(hInternetSession);
        hInternetSession = 0;
    }
    if (!dialUpActive) os::InternetAutodialHangup(0);
    // Nothing reads the password after this attempt: the next check asks for the account again.
    ForgetLoginPassword();
    return downloaded;
}

// The library's text for the code; where the server refused, the server's own answer instead.
void frmAbout::ShowInternetError(int32_t code) {
    ShowStatus(os::FormatInternetError(code).substr(0, 256));
    if (code == os::ERROR_INTERNET_EXTENDED_ERROR)
        ShowStatus(os::InternetGetLastResponseInfo().substr(0, 2048));
}

} // namespace Grantry
