// A client of the host's automation server with none of the program's code in it: it finds the
// running server in the running object table a given number of times, then asks it for one
// member's number by name as many times, and reports how much more its own heaps hold after each.
// Run once while the host answers and once while it refuses every call, it tells what the
// platform itself keeps of each attach and of each refused call, apart from anything the program
// does.
//
//   bare_client <ProgID> <member> <calls> <folder>
//
// After attaching and a few answered calls (the first calls set up what every later call reuses),
// it looks the server up <calls> times (GetActiveObject, the reference released at once); then it
// creates <folder>\ready and waits up to 60 s for <folder>\go, makes the calls by name, once
// each and never again when refused, and prints one JSON line:
//   {"calls": N, "attach_bytes_before": .., "attach_bytes_after": .., "attach_blocks_before": ..,
//    "attach_blocks_after": .., "answered": A, "refused": R, "other": O, "bytes_before": B0,
//    "bytes_after": B1, "blocks_before": K0, "blocks_after": K1}
// Bytes (data and the heap's overhead) and blocks are the busy blocks of every heap of the
// process (HeapWalk).
//
//   bare_client restarts <ProgID> <folder> <rounds>
//
// One attach a round, each to a host the run has started anew: at <folder>\go-<k> it looks the
// server up (the run has the host refuse every call), creates <folder>\tried-<k>, and at
// <folder>\again-<k> looks it up again (the host answers); then it prints a JSON line with both
// results, its own handle count and its heaps' busy bytes and blocks.
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

using Microsoft::WRL::ComPtr;

constexpr int kSetUpCalls = 20;
constexpr HRESULT kRefused = static_cast<HRESULT>(0x80010001L);  // RPC_E_CALL_REJECTED

struct HeapUse {
    unsigned long long bytes = 0;
    unsigned long long blocks = 0;
};

HeapUse BusyBlocks() {
    HeapUse use;
    std::vector<HANDLE> heaps(::GetProcessHeaps(0, nullptr) + 16);
    heaps.resize(::GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
    for (HANDLE heap : heaps) {
        if (!::HeapLock(heap)) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (::HeapWalk(heap, &entry)) {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
                use.bytes += entry.cbData + entry.cbOverhead;
                ++use.blocks;
            }
        }
        ::HeapUnlock(heap);
    }
    return use;
}

int Fail(const char* what, HRESULT hr) {
    std::printf("{\"error\": \"%s\", \"hr\": \"0x%08lX\"}\n", what, static_cast<unsigned long>(hr));
    return 1;
}

bool WaitForFile(const std::wstring& path, DWORD timeoutMs) {
    const ULONGLONG until = ::GetTickCount64() + timeoutMs;
    while (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (::GetTickCount64() >= until) return false;
        ::Sleep(10);
    }
    return true;
}

}  // namespace

namespace {

// The handles this process holds: every value a handle can take, up to a bound no run comes near,
// asked whether it is one. The system's list of every process's handles is not read: under load
// Wine's server was seen to end while listing it.
unsigned long OwnHandles() {
    unsigned long count = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

// One attach a round, each to a host started anew: the first try while the host refuses every
// call, the second once it answers; what this process holds after each round.
int AttachAcrossRestarts(const wchar_t* progId, const std::wstring& folder, int rounds) {
    CLSID clsid{};
    HRESULT hr = ::CLSIDFromProgID(progId, &clsid);
    if (FAILED(hr)) return Fail("CLSIDFromProgID", hr);
    for (int round = 1; round <= rounds; ++round) {
        const std::wstring n = std::to_wstring(round);
        if (!WaitForFile(folder + L"\\go-" + n, 60000)) return Fail("no go file", E_FAIL);
        HRESULT first = E_FAIL;
        {
            ComPtr<IUnknown> running;
            first = ::GetActiveObject(clsid, nullptr, &running);
        }
        const HANDLE tried = ::CreateFileW((folder + L"\\tried-" + n).c_str(), GENERIC_WRITE, 0, nullptr,
                                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (tried == INVALID_HANDLE_VALUE)
            return Fail("CreateFileW(tried)", HRESULT_FROM_WIN32(::GetLastError()));
        ::CloseHandle(tried);
        if (!WaitForFile(folder + L"\\again-" + n, 60000)) return Fail("no again file", E_FAIL);
        HRESULT second = E_FAIL;
        {
            ComPtr<IUnknown> running;
            second = ::GetActiveObject(clsid, nullptr, &running);
        }
        const HeapUse heaps = BusyBlocks();
        std::printf(
            "{\"round\": %d, \"first\": \"0x%08lX\", \"second\": \"0x%08lX\", \"handles\": %lu, "
            "\"bytes\": %llu, \"blocks\": %llu}\n",
            round, static_cast<unsigned long>(first), static_cast<unsigned long>(second), OwnHandles(),
            heaps.bytes, heaps.blocks);
        std::fflush(stdout);
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 5 && std::wstring(argv[1]) == L"restarts") {
        if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
            return Fail("CoInitializeEx", E_FAIL);
        const int exitCode = AttachAcrossRestarts(argv[2], argv[3], _wtoi(argv[4]));
        ::CoUninitialize();
        return exitCode;
    }
    if (argc != 5) {
        std::fputs(
            "usage: bare_client <ProgID> <member> <calls> <folder> | bare_client restarts <ProgID> "
            "<folder> <rounds>\n",
            stderr);
        return 2;
    }
    const int calls = _wtoi(argv[3]);
    const std::wstring folder = argv[4];
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return Fail("CoInitializeEx", E_FAIL);
    int exitCode = 0;
    {
        CLSID clsid{};
        HRESULT hr = ::CLSIDFromProgID(argv[1], &clsid);
        if (FAILED(hr)) return Fail("CLSIDFromProgID", hr);
        ComPtr<IUnknown> running;
        hr = ::GetActiveObject(clsid, nullptr, &running);
        if (FAILED(hr)) return Fail("GetActiveObject", hr);
        ComPtr<IDispatch> dispatch;
        hr = running.As(&dispatch);
        if (FAILED(hr)) return Fail("QueryInterface(IDispatch)", hr);
        running.Reset();

        LPOLESTR names[] = {argv[2]};
        DISPID id = DISPID_UNKNOWN;
        for (int i = 0; i < kSetUpCalls; ++i) {
            hr = dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
            if (FAILED(hr)) return Fail("GetIDsOfNames while setting up", hr);
        }
        const HeapUse attachBefore = BusyBlocks();
        for (int i = 0; i < calls; ++i) {
            ComPtr<IUnknown> again;
            hr = ::GetActiveObject(clsid, nullptr, &again);
            if (FAILED(hr)) return Fail("GetActiveObject, again", hr);
        }
        const HeapUse attachAfter = BusyBlocks();

        const HeapUse before = BusyBlocks();
        const HANDLE ready = ::CreateFileW((folder + L"\\ready").c_str(), GENERIC_WRITE, 0, nullptr,
                                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (ready == INVALID_HANDLE_VALUE)
            return Fail("CreateFileW(ready)", HRESULT_FROM_WIN32(::GetLastError()));
        ::CloseHandle(ready);
        if (!WaitForFile(folder + L"\\go", 60000)) return Fail("no go file", E_FAIL);

        int answered = 0, refused = 0, other = 0;
        for (int i = 0; i < calls; ++i) {
            hr = dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
            if (SUCCEEDED(hr)) {
                ++answered;
            } else if (hr == kRefused) {
                ++refused;
            } else {
                ++other;
            }
        }
        const HeapUse after = BusyBlocks();
        std::printf(
            "{\"calls\": %d, \"attach_bytes_before\": %llu, \"attach_bytes_after\": %llu, "
            "\"attach_blocks_before\": %llu, \"attach_blocks_after\": %llu, \"answered\": %d, \"refused\": "
            "%d, "
            "\"other\": %d, \"bytes_before\": %llu, \"bytes_after\": %llu, \"blocks_before\": %llu, "
            "\"blocks_after\": %llu}\n",
            calls, attachBefore.bytes, attachAfter.bytes, attachBefore.blocks, attachAfter.blocks, answered,
            refused, other, before.bytes, after.bytes, before.blocks, after.blocks);
        std::fflush(stdout);
        // The last reference goes once the host answers again, so that the host keeps none of ours.
        if (!WaitForFile(folder + L"\\release", 60000)) exitCode = 1;
    }
    ::CoUninitialize();
    return exitCode;
}
