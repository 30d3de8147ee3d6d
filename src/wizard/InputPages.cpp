#include <windows.h>

#include <commctrl.h>

#include <cstring>

#include "../../res/resource.h"
#include "common/Handles.h"
#include "startup/core/CommandLine.h"
#include "startup/core/Settings.h"
#include "wizard/PageSkeleton.h"
#include "wizard/Wizard.h"
#include "wizard/core/StartSummary.h"
#include "wizard/core/WizardPages.h"

char ProgramFolder[260];

namespace {

constexpr DWORD kBackNext = PSWIZB_BACK | PSWIZB_NEXT;

void WelcomeInit(HWND page) { PutProductName(page, IDC_WELCOME_TEXT); }

// The page names the product and the folder it installs to, which is
// fixed: a literal "%s" and an empty folder box would only puzzle.
void DestinationInit(HWND page) {
  PutProductName(page, IDC_DEST_TEXT);
  PutProductName(page, IDC_DEST_CANCEL_NOTE);
  SetDlgItemTextA(page, IDC_DEST_PATH, Settings.InstallDir);
}

// Read at every visit, so what the user sees is the file as it is now.
void LicenseActivate(HWND page) {
  DWORD length = Settings.LicenseLength > 0 ? static_cast<DWORD>(Settings.LicenseLength) : 0;
  UniqueFile file(CreateFileA(Settings.LicenseFile, GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  HeapBlock block(length + 1);
  if (block.empty()) {
    SetDlgItemTextA(page, IDC_LICENSE_TEXT, "");
    return;
  }
  memset(block.data(), 0, block.size());
  DWORD read = 0;
  if (file && length > 0) ReadFile(file.get(), block.data(), length, &read, nullptr);
  SetDlgItemTextA(page, IDC_LICENSE_TEXT, reinterpret_cast<const char*>(block.data()));
}

void SetCheck(HWND page, int id, int checked) {
  SendMessageA(GetDlgItem(page, id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int IsChecked(HWND page, int id) {
  return SendMessageA(GetDlgItem(page, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void InterfaceInit(HWND page) {
  int ps2 = Settings.InterfaceType == kInterfacePS2;
  SetCheck(page, IDC_INTERFACE_PS2, ps2);
  SetCheck(page, IDC_INTERFACE_USB, !ps2);
}

// Only Next stores the choice; Back leaves the settings as they were.
int InterfaceNotify(HWND page, NMHDR* header, INT_PTR*) {
  if (header->code != PSN_WIZNEXT) return 0;
  ChooseInterface(IsChecked(page, IDC_INTERFACE_PS2) ? kInterfacePS2 : kInterfaceUSB,
                  Settings.IsNT, Settings);
  return 0;  // the skeleton's answer: go on
}

struct Label {
  char Text[kTextSize];
};

void LoadLabel(UINT id, Label& label) {
  if (LoadStringA(static_cast<HINSTANCE>(Settings.Instance), id, label.Text, kTextSize) <= 0)
    label.Text[0] = '\0';
}

// Composed without a fixed limit: a long name or folder is shown whole.
void StartActivate(HWND page) {
  Label product, version, iface, dir, folder, usb, ps2;
  LoadLabel(IDS_LABEL_PRODUCT, product);
  LoadLabel(IDS_LABEL_VERSION, version);
  LoadLabel(IDS_LABEL_INTERFACE, iface);
  LoadLabel(IDS_LABEL_INSTALL_DIR, dir);
  LoadLabel(IDS_LABEL_PROGRAM_FOLDER, folder);
  LoadLabel(IDS_VALUE_USB, usb);
  LoadLabel(IDS_VALUE_PS2, ps2);
  SummaryLabels labels = {product.Text, version.Text, iface.Text, dir.Text,
                          folder.Text,  usb.Text,     ps2.Text};
  std::size_t length = ComposeStartSummary(Settings, ProgramFolder, labels, nullptr, 0);
  HeapBlock block(static_cast<DWORD>(length + 1));
  if (block.empty()) return;
  char* text = reinterpret_cast<char*>(block.data());
  ComposeStartSummary(Settings, ProgramFolder, labels, text, block.size());
  SetDlgItemTextA(page, IDC_START_SUMMARY, text);
}

// The read-only summary never keeps the focus: it goes to the default button.
int StartMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
  if (message != WM_COMMAND || HIWORD(wParam) != EN_SETFOCUS) return 0;
  SendMessageA(reinterpret_cast<HWND>(lParam), WM_KILLFOCUS, 0, 0);
  HWND target = GetDlgItem(page, LOWORD(SendMessageA(page, DM_GETDEFID, 0, 0)));
  if (target == nullptr) {
    // A page usually has no default button of its own: the sheet's Next is.
    HWND sheet = GetParent(page);
    target = GetDlgItem(sheet, LOWORD(SendMessageA(sheet, DM_GETDEFID, 0, 0)));
  }
  SetFocus(target);
  *result = TRUE;
  return 1;
}

const PageHooks kWelcome = {kPageWelcome, PSWIZB_NEXT, 1,       WelcomeInit,
                            nullptr,      nullptr,     nullptr, nullptr};
const PageHooks kLicense = {kPageLicense,    kBackNext, 1,       nullptr,
                            LicenseActivate, nullptr,   nullptr, nullptr};
const PageHooks kInterface = {kPageInterface, kBackNext,       1,      InterfaceInit, nullptr,
                              nullptr,        InterfaceNotify, nullptr};
const PageHooks kDestination = {kPageDestination, kBackNext, 1,       DestinationInit,
                                nullptr,          nullptr,   nullptr, nullptr};
const PageHooks kProgramFolder = {
    kPageProgramFolder, kBackNext, 1, nullptr, nullptr, nullptr, nullptr, nullptr};
const PageHooks kStart = {kPageStart,    kBackNext, 1,       nullptr,
                          StartActivate, nullptr,   nullptr, StartMessage};

}  // namespace

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return RunPageSkeleton(kWelcome, page, message, wParam, lParam);
}
INT_PTR CALLBACK LicensePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return RunPageSkeleton(kLicense, page, message, wParam, lParam);
}
INT_PTR CALLBACK InterfacePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return RunPageSkeleton(kInterface, page, message, wParam, lParam);
}
INT_PTR CALLBACK DestinationPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return RunPageSkeleton(kDestination, page, message, wParam, lParam);
}
INT_PTR CALLBACK ProgramFolderPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return RunPageSkeleton(kProgramFolder, page, message, wParam, lParam);
}
INT_PTR CALLBACK StartPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return RunPageSkeleton(kStart, page, message, wParam, lParam);
}
