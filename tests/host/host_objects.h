#pragma once
// The stand-in host's automation objects: hand-written IDispatch implementations without a type
// library. Every object but the application is created per call and counted while alive, so a
// test can tell whether a client released everything it was given.
#include <windows.h>
// The COM headers build on the declarations above.
#include <oaidl.h>
#include <ole2.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace test_host {

struct Drawing {
    std::wstring name;
};

// What the automation objects read and change. The host's command loop owns it; the objects keep
// a reference, which is safe because the process has one thread and the model outlives them.
struct HostModel {
    std::wstring fullName;
    std::int64_t windowHandle = 0;
    bool busy = false;
    std::vector<std::shared_ptr<Drawing>> drawings;
    int activeIndex = -1;
    std::optional<std::wstring> failingMember;  // compared without regard to case
    // The description that member's DISP_E_EXCEPTION carries; empty: a text naming the member.
    std::wstring failingDescription;
    // The process ends inside this member's call without answering it, as a crashing host would.
    std::optional<std::wstring> dyingMember;
    // This member's call holds the thread (no messages pumped) for that long before it answers.
    std::optional<std::wstring> stallingMember;
    std::uint32_t stallMilliseconds = 0;
    // Once this member's next call has been answered, `freezeSoon` is called (once).
    std::optional<std::wstring> freezingAfterMember;
    std::function<void()> freezeSoon;
    // Objects other than the application object that are still alive.
    long liveObjects = 0;
    // Strong connections the marshaller has reported on the application object.
    long applicationConnections = 0;
    // Called with one event line's fields, e.g. {"call", "FullName"}.
    std::function<void(const std::vector<std::wstring>&)> log;
    // Reads the window handle to report at call time, so `hwnd` changes apply at once.
    std::function<std::int64_t()> reportedWindow;
};

// Shared by all objects: the member table lookup, the `call` event, the forced failure, the
// EXCEPINFO filling and the reference count.
class DispatchObject : public IDispatch {
  public:
    DispatchObject(HostModel& model, std::vector<std::wstring> members, bool counted);
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;
    virtual ~DispatchObject();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

  protected:
    // A member's own work. `member` is the table's spelling. Returning DISP_E_EXCEPTION requires
    // `failure` to be set to the description.
    virtual HRESULT Call(const std::wstring& member, WORD flags, DISPPARAMS& params, VARIANT* result,
                         std::wstring& failure, UINT* argError) = 0;
    virtual bool HasInterface(REFIID riid, void** object);

    HostModel& model_;

  private:
    // A call whose shape a real server of this kind would not take: the reason, logged as a
    // `refused` event, and the code to answer with; nothing otherwise.
    [[nodiscard]] std::optional<std::pair<HRESULT, std::wstring>> WrongShape(const std::wstring& member,
                                                                             LCID locale, WORD flags,
                                                                             const DISPPARAMS& params) const;

    std::vector<std::wstring> members_;
    bool counted_;
    std::atomic<ULONG> references_{1};
};

// Makes the application object; the caller owns the one reference returned.
[[nodiscard]] DispatchObject* CreateApplication(HostModel& model);

}  // namespace test_host
