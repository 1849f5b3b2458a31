#pragma once

// The program's one window: the progress window and, at the same time, the transfer engine.
// The automation object fills a CFileList, stores the client's profile file and section here
// and calls one of the Do... entry points; the end report of the last item ends the dialog,
// and with it the process.

#include "engine/IAutomationLink.h"
#include "platform/WinDef.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Variant.h"
#include "platform/win/CDialog.h"
#include "vortan/IFlashHandling.h"

#include <memory>
#include <string>

class CCtrlAccess;
class CFlashObserverAccess;
class CFileList;
struct FileListEntry;

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
};
