// The new file beside a target: created under a name no one uses, filled, flushed, handed on.
#include "platform/write_beside.h"

#include <string>
#include <string_view>

#include "platform/file_placement.h"

namespace file_write {

namespace {

// Creates a file of a name no one else uses, in the target's folder so that the move stays on
// one volume.
UniqueFile CreateFileBeside(const std::wstring& target, std::wstring& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = BesideName(target);
        UniqueFile file(
            CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.Valid() || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return UniqueFile();
}

}  // namespace

bool WriteAll(HANDLE file, const char* data, size_t size) {
    while (size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr))
            return false;
        if (written != chunk) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        data += chunk;
        size -= chunk;
    }
    return true;
}

// Reads the whole source while no one else may write it, so the copy is of one state of the file;
// the mark is judged on the bytes copied, not on a look before that another program could spoil.
bool CopyContent(HANDLE to, const std::wstring& from, bool* utf8Mark) {
    const UniqueFile source(CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!source.Valid())
        return false;
    static constexpr DWORD kBufferSize = 1 << 16;
    std::string buffer(kBufferSize, '\0');
    for (bool first = true;; first = false) {
        DWORD read = 0;
        if (!ReadFile(source.Get(), buffer.data(), kBufferSize, &read, nullptr))
            return false;
        if (read == 0)
            return true;
        std::string_view bytes(buffer.data(), read);
        if (first && utf8Mark) {
            *utf8Mark = bytes.starts_with(kUtf8Mark);
            if (*utf8Mark)
                bytes.remove_prefix(kUtf8Mark.size());
        }
        if (!WriteAll(to, bytes.data(), bytes.size()))
            return false;
    }
}

// A read-only target stays as it is. Windows refuses to replace one anyway; Wine as root does not.
bool WritableTarget(const std::wstring& target) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ||
           !(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
}

// The flush comes before the placement, so that a crash after it cannot leave an empty or partial
// file under the target's name.
SysResult WriteBeside(const std::wstring& target,
                      const std::function<bool(UniqueFile&, const std::wstring&)>& fill,
                      const std::function<SysResult(const std::wstring&)>& place) {
    std::wstring temporary;
    UniqueFile file = CreateFileBeside(target, temporary);
    if (!file.Valid())
        return SysResult::LastError();
    ScopeExit removeTemporary([&] {
        file.Reset();
        RemoveFile(temporary);
    });
    if (!fill(file, temporary) || !FlushFileBuffers(file.Get()))
        return SysResult::LastError();
    file.Reset();
    const SysResult placed = place(temporary);
    if (!Exists(temporary))
        removeTemporary.Dismiss();
    return placed;
}

}  // namespace file_write
