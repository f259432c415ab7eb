// Starting other programs on Windows: CreateProcessW with a command line joined by the Windows quoting
// rules from the argument vector (never through cmd.exe), no console window, the standard streams on the
// null device or a pipe. A program that is waited for runs in a job object, so ending it on a time-out
// ends whatever it started too.
#include "platform/Process.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "platform/Deadline.h"
#include "platform/win32/CommandLineQuoting.h"
#include "platform/win32/WideText.h"

namespace fwu::platform {
namespace {

constexpr DWORD kWaitSliceMs = 20;
constexpr int kMaxDrainReads = 256;  // reads of leftover output once the program has ended (4 KiB each)

// Owns one handle; closes it at the end of its scope.
class OwnedHandle {
public:
    OwnedHandle() = default;
    explicit OwnedHandle(HANDLE handle) : handle(handle) {}
    ~OwnedHandle() { Reset(); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    HANDLE Get() const { return handle; }
    bool Valid() const { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    void Reset(HANDLE next = nullptr) {
        if (Valid()) {
            ::CloseHandle(handle);
        }
        handle = next;
    }

private:
    HANDLE handle = nullptr;
};

bool IsAbsolute(std::string_view path) {
    const bool drive = path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
    const bool share = path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
    return drive || share;
}

bool IsFile(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(win32::ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// A handle on the null device that a started program inherits.
HANDLE OpenNullDevice(bool forWriting) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return ::CreateFileW(L"NUL", forWriting ? GENERIC_WRITE : GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
}

struct Started {
    OwnedHandle process;
    DWORD id = 0;
};

// Starts the program with the given standard streams; suspended when asked, so it can join a job first.
bool Start(const std::vector<std::string>& argv, HANDLE input, HANDLE output, HANDLE error, bool suspended,
           Started& started) {
    if (argv.empty()) {
        return false;
    }
    const std::string program = FindProgram(argv.front());
    const std::optional<std::string> line = win32::JoinCommandLine(argv);
    if (program.empty() || !line) {
        return false;
    }
    const std::wstring application = win32::ToWide(program);
    std::wstring commandLine = win32::ToWide(*line);  // CreateProcessW may write into it
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = error;
    PROCESS_INFORMATION info{};
    const DWORD flags = CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT | (suspended ? CREATE_SUSPENDED : 0);
    if (!::CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr,
                          nullptr, &startup, &info)) {
        return false;
    }
    if (!suspended) {
        ::CloseHandle(info.hThread);
    } else if (::ResumeThread(info.hThread) == static_cast<DWORD>(-1)) {
        ::TerminateProcess(info.hProcess, 1);
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
        return false;
    } else {
        ::CloseHandle(info.hThread);
    }
    started.process.Reset(info.hProcess);
    started.id = info.dwProcessId;
    return true;
}

// Reads what the pipe holds now, keeping at most `limit` bytes in all. False once the pipe is done.
bool ReadAvailable(HANDLE pipe, RunResult& result, std::size_t limit) {
    DWORD available = 0;
    if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) {
        return false;  // the writing end is closed and everything was read
    }
    if (available == 0) {
        return true;
    }
    char buffer[4096];
    DWORD got = 0;
    if (!::ReadFile(pipe, buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr) || got == 0) {
        return false;
    }
    const std::size_t room = limit > result.output.size() ? limit - result.output.size() : 0;
    const std::size_t take = std::min<std::size_t>(room, got);
    result.output.append(buffer, take);
    result.outputTruncated = result.outputTruncated || take < got;
    return true;
}

}  // namespace

int CurrentProcessId() {
    return static_cast<int>(::GetCurrentProcessId());
}

std::string FindProgram(std::string_view name, const std::vector<std::string>& extraFolders) {
    if (name.empty()) {
        return {};
    }
    if (name.find_first_of("/\\") != std::string_view::npos) {
        return IsFile(std::string(name)) ? std::string(name) : std::string();
    }
    std::vector<std::string> folders;
    if (const char* path = std::getenv("PATH")) {
        std::string_view rest(path);
        while (!rest.empty()) {
            const std::size_t semicolon = rest.find(';');
            const std::string_view folder = rest.substr(0, semicolon);
            // Only absolute folders: a program is never taken from the current folder.
            if (IsAbsolute(folder)) {
                folders.emplace_back(folder);
            }
            rest = semicolon == std::string_view::npos ? std::string_view{} : rest.substr(semicolon + 1);
        }
    }
    for (const std::string& folder : extraFolders) {
        if (IsAbsolute(folder)) {
            folders.push_back(folder);
        }
    }
    const bool hasExtension = name.find('.') != std::string_view::npos;
    for (const std::string& folder : folders) {
        const std::string base = folder + "\\" + std::string(name);
        for (const char* extension : {".exe", ".com"}) {
            const std::string candidate = hasExtension ? base : base + extension;
            if (IsFile(candidate)) {
                return candidate;
            }
            if (hasExtension) {
                break;
            }
        }
    }
    return {};
}

// Windows keeps no exited child waiting to be collected: closing the process handle is all the clean-up,
// so no reaper thread is needed and the thread starter is not used.
int StartDetached(const std::vector<std::string>& argv, const ThreadStarter& /*startThread*/) {
    const OwnedHandle input(OpenNullDevice(false));
    const OwnedHandle output(OpenNullDevice(true));
    Started started;
    if (!input.Valid() || !output.Valid() ||
        !Start(argv, input.Get(), output.Get(), output.Get(), false, started)) {
        return -1;
    }
    return static_cast<int>(started.id);
}

RunResult RunAndWait(const std::vector<std::string>& argv, const RunOptions& options) {
    RunResult result;
    const OwnedHandle input(OpenNullDevice(false));
    const OwnedHandle nullOutput(OpenNullDevice(true));
    OwnedHandle readEnd;
    OwnedHandle writeEnd;
    if (options.captureOutput) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE reader = nullptr;
        HANDLE writer = nullptr;
        if (!::CreatePipe(&reader, &writer, &inherit, 0)) {
            return result;
        }
        readEnd.Reset(reader);
        writeEnd.Reset(writer);
        ::SetHandleInformation(reader, HANDLE_FLAG_INHERIT, 0);  // only the program's end is inherited
    }
    OwnedHandle job(::CreateJobObjectW(nullptr, nullptr));
    if (!input.Valid() || !nullOutput.Valid() || !job.Valid()) {
        return result;
    }
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    ::SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);

    const Deadline deadline(options.timeoutMs);
    Started started;
    const HANDLE output = options.captureOutput ? writeEnd.Get() : nullOutput.Get();
    // Started suspended, so it is in the job before it can start anything of its own.
    if (!Start(argv, input.Get(), output, nullOutput.Get(), true, started)) {
        return result;
    }
    ::AssignProcessToJobObject(job.Get(), started.process.Get());
    writeEnd.Reset();
    result.started = true;

    bool reading = options.captureOutput;
    for (;;) {
        const DWORD slice = static_cast<DWORD>(std::min<int>(deadline.RemainingMs(), kWaitSliceMs));
        const DWORD waited = ::WaitForSingleObject(started.process.Get(), slice);
        if (reading) {
            reading = ReadAvailable(readEnd.Get(), result, options.maxOutputBytes);
        }
        if (waited == WAIT_OBJECT_0) {
            DWORD code = 0;
            if (::GetExitCodeProcess(started.process.Get(), &code)) {
                result.exited = true;
                result.exitCode = static_cast<int>(code);
            }
            break;
        }
        if (waited == WAIT_FAILED) {
            break;
        }
        if (deadline.Expired()) {
            ::TerminateJobObject(job.Get(), 1);
            ::WaitForSingleObject(started.process.Get(), INFINITE);
            result.timedOut = true;
            break;
        }
    }
    for (int reads = 0; reading && reads < kMaxDrainReads; ++reads) {
        DWORD available = 0;
        if (!::PeekNamedPipe(readEnd.Get(), nullptr, 0, nullptr, &available, nullptr) || available == 0) {
            break;
        }
        reading = ReadAvailable(readEnd.Get(), result, options.maxOutputBytes);
    }
    return result;
}

}  // namespace fwu::platform
