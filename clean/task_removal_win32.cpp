#include "clean/task_removal_win32.h"

#include <windows.h>
// windows.h first: taskschd.h needs its types.
#include <taskschd.h>

namespace qs::clean {
namespace {

constexpr GUID kTaskSchedulerClass = {
    0x0F87369F, 0xA4E5, 0x4CFC, {0xBD, 0x3E, 0x73, 0xE6, 0x15, 0x45, 0x72, 0xDD}};
constexpr GUID kTaskServiceInterface = {
    0x2FABA4C7, 0x4DA9, 0x4013, {0x96, 0x97, 0x20, 0xCC, 0x3F, 0xD4, 0x0F, 0x85}};

// A BSTR for the length of one call.
class SystemString {
 public:
  explicit SystemString(const wchar_t* text) : text_(SysAllocString(text)) {}
  ~SystemString() { SysFreeString(text_); }
  SystemString(const SystemString&) = delete;
  SystemString& operator=(const SystemString&) = delete;
  BSTR get() const { return text_; }

 private:
  BSTR text_;
};

bool DeleteFromRootFolder() {
  ITaskService* service = nullptr;
  if (FAILED(CoCreateInstance(kTaskSchedulerClass, nullptr, CLSCTX_INPROC_SERVER, kTaskServiceInterface,
                              reinterpret_cast<void**>(&service)))) {
    return false;
  }
  VARIANT empty;  // local computer, current user
  VariantInit(&empty);
  ITaskFolder* root = nullptr;
  const bool opened = SUCCEEDED(service->Connect(empty, empty, empty, empty)) &&
                      SUCCEEDED(service->GetFolder(SystemString(L"\\").get(), &root));
  if (opened) {
    // A missing task is what the caller wants anyway, so the result does not matter.
    root->DeleteTask(SystemString(L"RW_BACKUP_TASK").get(), 0);
    root->Release();
  }
  service->Release();
  return opened;
}

}  // namespace

bool RemoveBackupTask() {
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return false;
  // Fails only when the process security was set already, and then that one applies.
  CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT_PRIVACY,
                       RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
  const bool reached = DeleteFromRootFolder();
  CoUninitialize();
  return reached;
}

}  // namespace qs::clean
