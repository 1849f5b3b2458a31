#pragma once

#include <functional>
#include <string>

#include "engine/IAutomationLink.h"
#include "platform/WinDef.h"

class CVORTANDlg;

namespace vortan::automation {
class ArgumentFrame;
struct MethodInfo;
} // namespace vortan::automation

// The automation object clients create: forwards each call to the main dialog after turning
// the client's texts into a file list and, for a read, asking about files it would overwrite.
// Created by the class factory for one client; attaches itself to the main dialog and locks
// the application while it lives.
class CVORTANDlgAutoProxy final : public IAutomationLink {
public:
    explicit CVORTANDlgAutoProxy(CVORTANDlg* pDialog);
    ~CVORTANDlgAutoProxy();
    CVORTANDlgAutoProxy(const CVORTANDlgAutoProxy&) = delete;
    CVORTANDlgAutoProxy& operator=(const CVORTANDlgAutoProxy&) = delete;

    void DetachDialog() override;

    // DISPID 1 to 12. Every method returns its 32-bit return code.
    LONG ReadFile(const char* controllerName, const char* profileFile, const char* profileSection,
                  const char* localDirectory, const char* fileList, SHORT* pResult);
    LONG WriteFile(const char* controllerName, const char* profileFile, const char* profileSection,
                   const char* unused, const char* fileList, SHORT* pResult);
    LONG Format(SHORT* pSelector, const char* controllerName, const char* profileFile,
                const char* profileSection, SHORT* pResult);
    LONG ShowFileSelectDialog(const char* profileFile, const char* profileSection,
                              const char* initialDirectory, LONG openFileFlags, LONG controlFlags,
                              BSTR* pChosenFiles, SHORT* pDialogResult);
    LONG ShowDirectorySelectDialog(const char* profileFile, const char* profileSection,
                                   const char* text, BSTR* pChosenDirectory, SHORT* pDialogResult);
    LONG GetLastErrorCode(LONG* pCode, SHORT* pValue1, SHORT* pValue2, SHORT* pValue3);
    LONG CloseServer();
    LONG RemoveFiles(const char* controllerName, const char* profileFile,
                     const char* profileSection, const char* fileList, SHORT* pResult);
    LONG Format2(SHORT* pSelector, const char* controllerName, const char* profileFile,
                 const char* profileSection, VARIANT_BOOL option, SHORT* pResult);
    LONG WriteFile2(const char* controllerName, const char* profileFile, const char* profileSection,
                    const char* fileList, VARIANT_BOOL option, SHORT* pResult);
    LONG ReadFile2(const char* controllerName, const char* profileFile, const char* profileSection,
                   const char* localDirectory, const char* fileList, VARIANT_BOOL option,
                   SHORT* pResult);
    LONG RemoveFiles2(const char* controllerName, const char* profileFile,
                      const char* profileSection, const char* fileList, VARIANT_BOOL option,
                      SHORT* pResult);

    // The dispatch: calls the method with the frame's typed arguments.
    LONG Invoke(const vortan::automation::MethodInfo& method,
                vortan::automation::ArgumentFrame& frame);

    // A transfer, format or dialog of this object is running (inside a nested loop).
    bool Busy() const { return m_bBusy; }

    CVORTANDlg* m_pDialog = nullptr;

private:
    class BusyScope;

    // Every transfer, format and dialog starts here, in one order: without a main dialog
    // (where the method needs it from the start) E_FAIL; while another one runs (a nested loop
    // let this call in) RPC_E_CALL_REJECTED before anything changes; else `body`, marked busy.
    LONG RunExclusive(bool needsDialog, const std::function<LONG()>& body);
    // The client's profile, for the texts of the run.
    void StoreProfile(const char* profileFile, const char* profileSection);
    // The bodies of ReadFile2 and WriteFile2, run by RunExclusive.
    LONG ReadFiles(const char* controllerName, const char* profileFile, const char* profileSection,
                   const char* localDirectory, const char* fileList, SHORT* pResult);
    LONG WriteFiles(const char* controllerName, const char* profileFile, const char* profileSection,
                    const char* fileList, VARIANT_BOOL option, SHORT* pResult);
    // What both selection methods share: the main window hidden around `run`, which answers
    // the dialog's result and the chosen text.
    LONG RunSelection(int nShowAfter, BSTR* pChosen, SHORT* pDialogResult,
                      const std::function<INT_PTR(HWND hWndMain, std::string& chosen)>& run);

    bool m_bBusy = false;
};
