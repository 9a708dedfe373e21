// dbwin_reader: collects OutputDebugString lines through the DBWIN_BUFFER
// protocol (the one debug viewers use), so tests get every line whole; Wine's
// own +debugstr channel cuts long lines and misses the wide variant.
//
// Usage:
//   dbwin_reader.exe OUTFILE [--pid-filter none|PID] [--with-pid]
//                    [--ready FILE] [--timeout SECONDS] [--stdin-eof]
//   dbwin_reader.exe --stop
//
// Each OutputDebugString call becomes one line of OUTFILE: the raw bytes as the
// program wrote them (GBK under code page 936, wide strings arrive converted to
// the ANSI code page), one trailing "\n" added unless the text already ends in
// one. OUTFILE is appended to and written unbuffered, so it can be read while
// the reader runs. With --with-pid each line starts with "PID: ".
//
// Stopping: the reader runs until the named event Local\VyrnDbwinReaderStop is
// signalled, which is what "dbwin_reader.exe --stop" does. --timeout N also
// ends it after N seconds, and --stdin-eof when its standard input is closed
// (off by default: a reader started in the background usually has stdin at
// EOF from the start). --ready FILE is created once the reader is listening,
// so a script knows no early line will be lost.
//
// Exit code: 0 on a normal stop, 2 for bad arguments, 3 when another reader
// already owns the buffer, 1 for other failures.

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

const wchar_t kStopEventName[] = L"Local\\VyrnDbwinReaderStop";
const DWORD kBufferSize = 4096;

struct DbwinBuffer {
    DWORD pid;
    char text[kBufferSize - sizeof(DWORD)];
};

int usage() {
    std::fprintf(stderr,
                 "usage: dbwin_reader OUTFILE [--pid-filter none|PID] [--with-pid]\n"
                 "                    [--ready FILE] [--timeout SECONDS] [--stdin-eof]\n"
                 "       dbwin_reader --stop\n");
    return 2;
}

bool write_all(HANDLE h, const char* data, DWORD size) {
    while (size > 0) {
        DWORD done = 0;
        if (!WriteFile(h, data, size, &done, nullptr) || done == 0) return false;
        data += done;
        size -= done;
    }
    return true;
}

DWORD WINAPI stdin_watch(LPVOID stop_event) {
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    char buf[256];
    DWORD got = 0;
    while (ReadFile(in, buf, sizeof buf, &got, nullptr) && got > 0) {
    }
    SetEvent(static_cast<HANDLE>(stop_event));
    return 0;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 1;

    if (argc == 2 && std::wcscmp(argv[1], L"--stop") == 0) {
        HANDLE ev = OpenEventW(EVENT_MODIFY_STATE, FALSE, kStopEventName);
        if (!ev) return 0;  // nobody is reading
        SetEvent(ev);
        CloseHandle(ev);
        return 0;
    }

    const wchar_t* out_path = nullptr;
    const wchar_t* ready_path = nullptr;
    DWORD pid_filter = 0;
    bool with_pid = false;
    bool stdin_eof = false;
    DWORD timeout_ms = INFINITE;
    for (int i = 1; i < argc; ++i) {
        const wchar_t* a = argv[i];
        bool has_value = i + 1 < argc;
        if (std::wcscmp(a, L"--pid-filter") == 0 && has_value) {
            const wchar_t* v = argv[++i];
            pid_filter = std::wcscmp(v, L"none") == 0 ? 0 : std::wcstoul(v, nullptr, 10);
        } else if (std::wcscmp(a, L"--ready") == 0 && has_value) {
            ready_path = argv[++i];
        } else if (std::wcscmp(a, L"--timeout") == 0 && has_value) {
            timeout_ms = std::wcstoul(argv[++i], nullptr, 10) * 1000;
        } else if (std::wcscmp(a, L"--with-pid") == 0) {
            with_pid = true;
        } else if (std::wcscmp(a, L"--stdin-eof") == 0) {
            stdin_eof = true;
        } else if (a[0] != L'-' && !out_path) {
            out_path = a;
        } else {
            return usage();
        }
    }
    if (!out_path) return usage();

    HANDLE out = CreateFileW(out_path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "dbwin_reader: cannot open output (error %lu)\n", GetLastError());
        return 1;
    }

    // Manual reset, so a --stop that comes before we wait is not lost.
    HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, kStopEventName);
    HANDLE buffer_ready = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY");
    bool taken = GetLastError() == ERROR_ALREADY_EXISTS;
    HANDLE data_ready = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY");
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBufferSize,
                                        L"DBWIN_BUFFER");
    if (!stop || !buffer_ready || !data_ready || !mapping) {
        std::fprintf(stderr, "dbwin_reader: cannot create the DBWIN objects (error %lu)\n", GetLastError());
        return 1;
    }
    if (stop) ResetEvent(stop);  // a stale signal from an earlier run's --stop
    if (taken) {
        // Two readers would steal lines from each other.
        std::fprintf(stderr, "dbwin_reader: another debug output reader is running\n");
        return 3;
    }
    auto* shared = static_cast<volatile DbwinBuffer*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, kBufferSize));
    if (!shared) {
        std::fprintf(stderr, "dbwin_reader: cannot map DBWIN_BUFFER (error %lu)\n", GetLastError());
        return 1;
    }

    if (stdin_eof) {
        HANDLE t = CreateThread(nullptr, 0, stdin_watch, stop, 0, nullptr);
        if (t) CloseHandle(t);
    }

    SetEvent(buffer_ready);

    if (ready_path) {
        HANDLE r = CreateFileW(ready_path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (r != INVALID_HANDLE_VALUE) CloseHandle(r);
    }

    ULONGLONG deadline = timeout_ms == INFINITE ? 0 : GetTickCount64() + timeout_ms;
    static char line[sizeof(DbwinBuffer) + 32];
    int rc = 0;
    for (;;) {
        DWORD wait_ms = INFINITE;
        if (deadline) {
            ULONGLONG now = GetTickCount64();
            wait_ms = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        }
        HANDLE handles[2] = {data_ready, stop};
        DWORD w = WaitForMultipleObjects(2, handles, FALSE, wait_ms);
        if (w != WAIT_OBJECT_0) break;  // stop, timeout or failure

        DWORD pid = shared->pid;
        size_t n = 0;
        size_t max = sizeof(shared->text);
        int head = with_pid ? std::snprintf(line, 32, "%lu: ", pid) : 0;
        while (n < max && shared->text[n] != '\0') {
            line[head + n] = shared->text[n];
            ++n;
        }
        // The writer may go on as soon as we have a copy.
        SetEvent(buffer_ready);

        if (pid_filter && pid != pid_filter) continue;
        size_t len = head + n;
        if (len == 0 || line[len - 1] != '\n') line[len++] = '\n';
        if (!write_all(out, line, static_cast<DWORD>(len))) {
            rc = 1;
            break;
        }
    }

    UnmapViewOfFile(const_cast<DbwinBuffer*>(shared));
    CloseHandle(mapping);
    CloseHandle(data_ready);
    CloseHandle(buffer_ready);
    CloseHandle(stop);
    CloseHandle(out);
    LocalFree(argv);
    return rc;
}
