#pragma once

// The program's one window: the progress window and, at the same time, the transfer engine.
// The automation object fills a CFileList, stores the client's profile file and section here
// and calls one of the Do... entry points; the end report of the last item ends the dialog,
// and with it the process.

#include <memory>
#include <string>

#include "engine/IAutomationLink.h"
#include "platform/WinDef.h"
#include "platform/win/CDialog.h"
#include "vortan/IFlashHandling.h"
#include "vortan/com/ComPtr.h"
#include "vortan/com/Variant.h"

class CCtrlAccess;
class CFlashObserverAccess;
class CFileList;
struct FileListEntry;

// The mutex a running format holds so that other programs see it ("KELMORANTQmt<n>"). It is
// process-wide, not a dialog field, because it marks the process's format to the machine and
// CloseServer must release it whichever run took it; only the UI thread touches it.
extern HANDLE g_hFlashMutex;

class CVORTANDlg : public CDialog {
public:
    explicit CVORTANDlg(HWND hWndParent = nullptr);
    ~CVORTANDlg() override;

    // Transfer runs; option is VARIANT_TRUE (0xFFFF) or 0, handed unchanged to the component.
    HRESULT DoReadFiles(const char* controllerName, CFileList* fileList, LONG option,
                        SHORT* pResult);
    HRESULT DoWriteFiles(const char* controllerName, CFileList* fileList, LONG option,
                         SHORT* pResult);
    HRESULT DoRemoveFiles(const char* controllerName, CFileList* fileList, LONG option,
                          SHORT* pResult);
    // pName holds the controller name as VT_BSTR; the selector reads 1 afterwards.
    HRESULT DoFormat(VARIANT* pName, SHORT* pSelector, LONG option, SHORT* pResult);

    HRESULT GetLastErrorInfo(LONG* pCode, SHORT* pValue1, SHORT* pValue2, SHORT* pValue3);
    LONG CloseServer();

    // Display text number `key` (negative) from the client's profile; FALSE when not found.
    BOOL LookupText(int key, std::string& text) const;

    std::string m_strProfileFile;
    std::string m_strProfileSection;
    // The automation object driving the dialog, or null; set and cleared by that object.
    // While it is set, closing the window only hides it.
    IAutomationLink* m_pAutoProxy = nullptr;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    enum RunMode { kRead = 1, kWrite = 2, kRemove = 3 };

    HRESULT DoTransfer(int mode, const char* controllerName, CFileList* fileList, LONG option,
                       SHORT* pResult);
    // The component calls of a run (creation, totals, one call per item); raises _com_error
    // for a failed IController call. Answers the kept HRESULT; `outcome` is the last item's.
    HRESULT RunItems(int mode, CFileList& fileList, LONG option, VARIANT_BOOL& outcome);
    HRESULT ConnectController(BSTR name);
    // FALSE when a quit request ended the wait (it is posted again for the outer loops).
    BOOL WaitForConnectAnswer();
    DWORD FillSizesFromMemory(CFileList& fileList);
    BOOL EnsureFlashObserver();
    HRESULT CreateFlashHandling();
    LRESULT OnItemFinished();
    void DisconnectController() noexcept;

    LRESULT OnFlashNotification(int n, WPARAM wParam, LPARAM lParam);
    void OnBusyTimer();
    void SetPhaseTexts(int captionKey, int statusKey);
    void ShowStatusLine();
    void ShowPercent(LPARAM p);
    void ShowByteProgress(LPARAM part);
    void ShowItemProgress(WPARAM whole, LPARAM part);
    void ShowProgressValue(unsigned long long p);
    void CreateFlashMutex(WPARAM number);
    void SetCaption(const std::string& text);
    // Sets the caption unless the client gave no caption format.
    void ShowCaption(const std::string& text);
    void SetStatus(const std::string& text);
    void SetProgressPos(int pos);
    void ShowAboutBox();
    void RepaintDuringCall();

    DWORD m_nDone = 0;  // bytes (or removed files) of finished items of the running run
    DWORD m_nTotal = 0; // bytes (or files) of the run
    BOOL m_bAborted = FALSE;
    BOOL m_bLastItem = FALSE;
    FileListEntry* m_pCurrentItem = nullptr; // into the caller's list, while a run lasts
    HANDLE m_hConnectEvent = nullptr;
    std::unique_ptr<CCtrlAccess> m_pCtrlAccess;
    std::unique_ptr<CFlashObserverAccess> m_pFlashObserver;
    vortan::com::ComPtr<vortan::IFlashHandling> m_pFlashHandling;
    std::string m_strCaptionFormat;
    std::string m_strStatusFormat;
    int m_nBusyPos = 0;
    HICON m_hIcon = nullptr;
    DWORD m_dwLastRepaint = 0; // tick of the last UpdateWindow during a component call
};
