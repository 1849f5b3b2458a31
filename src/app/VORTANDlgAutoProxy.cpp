#include "app/VORTANDlgAutoProxy.h"

#include <memory>
#include <optional>
#include <string>

#include "app/AppLock.h"
#include "app/OverWriteDlg.h"
#include "automation/ArgumentFrame.h"
#include "engine/FileList.h"
#include "engine/VORTANDlg.h"
#include "platform/fs/Path.h"
#include "platform/profile/ProfileRun.h"
#include "platform/profile/ProfileText.h"
#include "platform/text/SafeFormat.h"
#include "platform/ui/MessageBox.h"
#include "platform/win/WinUser.h"
#include "resources/ResourceIds.h"
#include "resources/TextKeys.h"
#include "selection/SelectDirectory.h"
#include "selection/SelectFileDlg.h"
#include "vortan/com/UniqueBstr.h"

namespace {

// A local path that is not absolute: the server's working directory means nothing to the
// client, so such a call is refused before anything happens.
const LONG kRelativeLocalPath = HRESULT_FROM_WIN32(ERROR_BAD_PATHNAME);

LONG ToEngineOption(VARIANT_BOOL option) {
    return option != VARIANT_FALSE ? 0xFFFF : 0;
}

bool AllSourcesAbsolute(const CFileList& list) {
    for (int i = 0; i < list.GetCount(); ++i) {
        const FileListEntry* entry = list.GetEntry(i);
        if (entry != nullptr &&
            !vortan::fs::IsAbsolutePath(entry->m_strDirectory + entry->m_strName))
            return false;
    }
    return true;
}

// The save-style selection of another local file for a read's entry `name`, starting in the
// read's local directory; the chosen full path, or nothing when the user did not confirm one.
std::optional<std::string> ChooseReplacement(HWND hWndMain, const char* profileFile,
                                             const char* localDirectory, const std::string& name) {
    CFileList chosen;
    const auto pDlg = std::make_unique<CSelectFileDlg>(hWndMain, profileFile, "SAVEAS_SECTION",
                                                       localDirectory, 0x2802, 0x479, chosen);
    const vortan::fs::PathParts parts = vortan::fs::SplitPath(name);
    pDlg->SetDefaultExtension(parts.extension.c_str());
    pDlg->SetFileName(parts.name.c_str());
    if (pDlg->DoModal() != IDOK || chosen.GetCount() == 0)
        return std::nullopt;
    const FileListEntry* pEntry = chosen.GetEntry(0);
    return pEntry->m_strDirectory + pEntry->m_strName;
}

} // namespace

// Marks the object busy for one transfer, format or dialog; a call that finds it busy is let
// in by a nested loop and is refused before it changes anything.
class CVORTANDlgAutoProxy::BusyScope final {
public:
    explicit BusyScope(CVORTANDlgAutoProxy& proxy) : m_proxy(proxy) { m_proxy.m_bBusy = true; }
    ~BusyScope() { m_proxy.m_bBusy = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    CVORTANDlgAutoProxy& m_proxy;
};

CVORTANDlgAutoProxy::CVORTANDlgAutoProxy(CVORTANDlg* pDialog) : m_pDialog(pDialog) {
    AfxOleLockApp();
    if (m_pDialog != nullptr)
        m_pDialog->m_pAutoProxy = this;
}

CVORTANDlgAutoProxy::~CVORTANDlgAutoProxy() {
    if (m_pDialog != nullptr)
        m_pDialog->m_pAutoProxy = nullptr;
    AfxOleUnlockApp();
}

void CVORTANDlgAutoProxy::DetachDialog() {
    m_pDialog = nullptr;
}

LONG CVORTANDlgAutoProxy::ReadFile(const char* controllerName, const char* profileFile,
                                   const char* profileSection, const char* localDirectory,
                                   const char* fileList, SHORT* pResult) {
    return ReadFile2(controllerName, profileFile, profileSection, localDirectory, fileList,
                     VARIANT_FALSE, pResult);
}

LONG CVORTANDlgAutoProxy::ReadFile2(const char* controllerName, const char* profileFile,
                                    const char* profileSection, const char* localDirectory,
                                    const char* fileList, VARIANT_BOOL /*option*/, SHORT* pResult) {
    return RunExclusive(true, [&] {
        return ReadFiles(controllerName, profileFile, profileSection, localDirectory, fileList,
                         pResult);
    });
}

LONG CVORTANDlgAutoProxy::ReadFiles(const char* controllerName, const char* profileFile,
                                    const char* profileSection, const char* localDirectory,
                                    const char* fileList, SHORT* pResult) {
    *pResult = 0;
    if (!vortan::fs::IsAbsolutePath(localDirectory != nullptr ? localDirectory : ""))
        return kRelativeLocalPath;
    CFileList list;
    list.AddFileList(fileList);
    list.SetTargetDirectory(localDirectory);

    const HWND hWndMain = m_pDialog->GetSafeHwnd();
    const auto restoreMain = [hWndMain] {
        ::UpdateWindow(hWndMain);
        ::ShowWindow(hWndMain, SW_RESTORE);
    };

    INT_PTR lastAnswer = 0;
    const int count = list.GetCount();
    for (int i = 0; i < count; ++i) {
        std::string strTarget;
        FileListEntry* pEntry = nullptr;
        if (!list.TargetExists(i, strTarget, &pEntry))
            continue;

        INT_PTR answer = IDCANCEL;
        {
            COverWriteDlg question(hWndMain, profileFile, pEntry->m_strName.c_str(),
                                   localDirectory);
            answer = question.DoModal();
        }
        restoreMain();
        lastAnswer = answer;
        if (answer == vortan::resources::IDC_OVERWRITE_ALL)
            break;
        if (answer == IDOK)
            continue;
        if (answer != IDNO) {
            // Only an explicit "Ja" overwrites: any other end of the question (a lost bus quit
            // its loop, its window could not be made) is "Abbrechen".
            lastAnswer = IDCANCEL;
            break;
        }

        // "Nein": another local file for this entry; anything but a confirmed one cancels.
        const auto replacement =
            ChooseReplacement(hWndMain, profileFile, localDirectory, pEntry->m_strName);
        restoreMain();
        lastAnswer = replacement ? IDOK : IDCANCEL;
        if (!replacement)
            break;
        list.SetTargetPath(i, *replacement);
    }
    restoreMain();

    if (lastAnswer == IDCANCEL) {
        *pResult = 2;
        return S_OK;
    }
    StoreProfile(profileFile, profileSection);
    // A read always runs with the option off.
    return m_pDialog->DoReadFiles(controllerName, &list, 0, pResult);
}

LONG CVORTANDlgAutoProxy::WriteFile(const char* controllerName, const char* profileFile,
                                    const char* profileSection, const char* /*unused*/,
                                    const char* fileList, SHORT* pResult) {
    return WriteFile2(controllerName, profileFile, profileSection, fileList, VARIANT_FALSE,
                      pResult);
}

LONG CVORTANDlgAutoProxy::WriteFile2(const char* controllerName, const char* profileFile,
                                     const char* profileSection, const char* fileList,
                                     VARIANT_BOOL option, SHORT* pResult) {
    return RunExclusive(false, [&] {
        return WriteFiles(controllerName, profileFile, profileSection, fileList, option, pResult);
    });
}

LONG CVORTANDlgAutoProxy::WriteFiles(const char* controllerName, const char* profileFile,
                                     const char* profileSection, const char* fileList,
                                     VARIANT_BOOL option, SHORT* pResult) {
    *pResult = 0;
    CFileList list;
    list.AddFileList(fileList);
    if (!AllSourcesAbsolute(list))
        return kRelativeLocalPath;

    std::string strName;
    std::string strMessage;
    if (!list.CheckShortNames(strName) &&
        vortan::profile::LookupProfileText(profileFile, profileSection,
                                           vortan::resources::kTextShortName, strMessage)) {
        // The text comes from the client's file: the name goes in at its one %s, nothing
        // else in it is a conversion.
        const std::string strText =
            vortan::text::FormatOne(strMessage, 's', strName, vortan::text::kMaxTextBytes);
        std::string strCaption;
        vortan::profile::LookupProfileText(profileFile, profileSection,
                                           vortan::resources::kTextCaption, strCaption);
        const HWND hWndOwner = m_pDialog != nullptr ? m_pDialog->GetSafeHwnd() : nullptr;
        ::MessageBox(hWndOwner, strText.c_str(), strCaption.c_str(), MB_ICONEXCLAMATION | MB_OK);
        // Nothing was written, so the flag says the write did not succeed.
        *pResult = 0;
        if (m_pDialog != nullptr)
            m_pDialog->CloseServer();
        return S_OK;
    }

    if (m_pDialog == nullptr)
        return E_FAIL;
    StoreProfile(profileFile, profileSection);
    return m_pDialog->DoWriteFiles(controllerName, &list, ToEngineOption(option), pResult);
}

LONG CVORTANDlgAutoProxy::RemoveFiles(const char* controllerName, const char* profileFile,
                                      const char* profileSection, const char* fileList,
                                      SHORT* pResult) {
    return RemoveFiles2(controllerName, profileFile, profileSection, fileList, VARIANT_FALSE,
                        pResult);
}

LONG CVORTANDlgAutoProxy::RemoveFiles2(const char* controllerName, const char* profileFile,
                                       const char* profileSection, const char* fileList,
                                       VARIANT_BOOL option, SHORT* pResult) {
    return RunExclusive(true, [&] {
        CFileList list;
        list.AddFileList(fileList);
        StoreProfile(profileFile, profileSection);
        return m_pDialog->DoRemoveFiles(controllerName, &list, ToEngineOption(option), pResult);
    });
}

LONG CVORTANDlgAutoProxy::Format(SHORT* pSelector, const char* controllerName,
                                 const char* profileFile, const char* profileSection,
                                 SHORT* pResult) {
    return Format2(pSelector, controllerName, profileFile, profileSection, VARIANT_FALSE, pResult);
}

LONG CVORTANDlgAutoProxy::Format2(SHORT* pSelector, const char* controllerName,
                                  const char* profileFile, const char* profileSection,
                                  VARIANT_BOOL option, SHORT* pResult) {
    return RunExclusive(true, [&] {
        StoreProfile(profileFile, profileSection);
        vortan::com::UniqueBstr name = vortan::com::UniqueBstr::FromUtf8(controllerName);
        VARIANT varName;
        varName.vt = VT_BSTR;
        varName.bstrVal = name.Get();
        // The BSTR stays with `name`; the variant only lends it to the engine.
        return m_pDialog->DoFormat(&varName, pSelector, ToEngineOption(option), pResult);
    });
}

LONG CVORTANDlgAutoProxy::RunExclusive(bool needsDialog, const std::function<LONG()>& body) {
    if (needsDialog && m_pDialog == nullptr)
        return E_FAIL;
    if (m_bBusy)
        return RPC_E_CALL_REJECTED;
    BusyScope busy(*this);
    return body();
}

void CVORTANDlgAutoProxy::StoreProfile(const char* profileFile, const char* profileSection) {
    m_pDialog->m_strProfileFile = profileFile;
    m_pDialog->m_strProfileSection = profileSection;
}

LONG CVORTANDlgAutoProxy::RunSelection(
    int nShowAfter, BSTR* pChosen, SHORT* pDialogResult,
    const std::function<INT_PTR(HWND hWndMain, std::string& chosen)>& run) {
    return RunExclusive(false, [&] {
        const HWND hWndMain = m_pDialog != nullptr ? m_pDialog->GetSafeHwnd() : nullptr;
        ::ShowWindow(hWndMain, SW_HIDE);
        std::string strChosen;
        const INT_PTR result = run(hWndMain, strChosen);
        *pChosen = vortan::com::UniqueBstr::FromUtf8(strChosen).Release();
        *pDialogResult = static_cast<SHORT>(result);
        ::ShowWindow(hWndMain, nShowAfter);
        return S_OK;
    });
}

LONG CVORTANDlgAutoProxy::ShowFileSelectDialog(const char* profileFile, const char* profileSection,
                                               const char* initialDirectory, LONG openFileFlags,
                                               LONG controlFlags, BSTR* pChosenFiles,
                                               SHORT* pDialogResult) {
    return RunSelection(
        SW_RESTORE, pChosenFiles, pDialogResult, [&](HWND hWndMain, std::string& strChosen) {
            CFileList list;
            const auto pDlg = std::make_unique<CSelectFileDlg>(
                hWndMain, profileFile, profileSection, initialDirectory,
                static_cast<DWORD>(openFileFlags), static_cast<DWORD>(controlFlags), list);
            const INT_PTR result = pDlg->DoModal();
            for (int i = 0; result == IDOK && i < list.GetCount(); ++i) {
                const FileListEntry* pEntry = list.GetEntry(i);
                strChosen += (i > 0 ? ";" : "") + pEntry->m_strDirectory + pEntry->m_strName;
            }
            return result;
        });
}

LONG CVORTANDlgAutoProxy::ShowDirectorySelectDialog(const char* profileFile,
                                                    const char* profileSection, const char* text,
                                                    BSTR* pChosenDirectory, SHORT* pDialogResult) {
    return RunSelection(SW_SHOWNORMAL, pChosenDirectory, pDialogResult,
                        [&](HWND hWndMain, std::string& strChosen) {
                            CSelectDirectory dlg(hWndMain, profileFile, profileSection, text);
                            const INT_PTR result = dlg.DoModal();
                            strChosen = dlg.GetDirectory();
                            return result;
                        });
}

LONG CVORTANDlgAutoProxy::GetLastErrorCode(LONG* pCode, SHORT* pValue1, SHORT* pValue2,
                                           SHORT* pValue3) {
    if (m_pDialog != nullptr)
        m_pDialog->GetLastErrorInfo(pCode, pValue1, pValue2, pValue3);
    return S_OK;
}

LONG CVORTANDlgAutoProxy::CloseServer() {
    if (m_pDialog != nullptr)
        m_pDialog->CloseServer();
    return S_OK;
}

LONG CVORTANDlgAutoProxy::Invoke(const vortan::automation::MethodInfo& method,
                                 vortan::automation::ArgumentFrame& f) {
    // One call is one run: each profile file it names is read at most once.
    const vortan::profile::ProfileRun profileRun;
    switch (method.dispid) {
    case 1:
        return ReadFile(f.Text(0), f.Text(1), f.Text(2), f.Text(3), f.Text(4), f.ShortOut(5));
    case 2:
        return WriteFile(f.Text(0), f.Text(1), f.Text(2), f.Text(3), f.Text(4), f.ShortOut(5));
    case 3:
        return Format(f.ShortOut(0), f.Text(1), f.Text(2), f.Text(3), f.ShortOut(4));
    case 4:
        return ShowFileSelectDialog(f.Text(0), f.Text(1), f.Text(2), f.Long(3), f.Long(4),
                                    f.BstrOut(5), f.ShortOut(6));
    case 5:
        return ShowDirectorySelectDialog(f.Text(0), f.Text(1), f.Text(2), f.BstrOut(3),
                                         f.ShortOut(4));
    case 6:
        return GetLastErrorCode(f.LongOut(0), f.ShortOut(1), f.ShortOut(2), f.ShortOut(3));
    case 7:
        return CloseServer();
    case 8:
        return RemoveFiles(f.Text(0), f.Text(1), f.Text(2), f.Text(3), f.ShortOut(4));
    case 9:
        return Format2(f.ShortOut(0), f.Text(1), f.Text(2), f.Text(3), f.Bool(4), f.ShortOut(5));
    case 10:
        return WriteFile2(f.Text(0), f.Text(1), f.Text(2), f.Text(3), f.Bool(4), f.ShortOut(5));
    case 11:
        return ReadFile2(f.Text(0), f.Text(1), f.Text(2), f.Text(3), f.Text(4), f.Bool(5),
                         f.ShortOut(6));
    case 12:
        return RemoveFiles2(f.Text(0), f.Text(1), f.Text(2), f.Text(3), f.Bool(4), f.ShortOut(5));
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}
