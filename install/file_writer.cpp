// Writing the payload files into the install folder.
#include "engine.h"  // windows.h comes first

#include <cstdio>

#include "fatal_error.h"
#include "platform_calls.h"
#include "wide_text.h"

namespace {

// The name each file is written under before it replaces the old one: a
// payload's name never holds ";" (the manifest's check), and the process
// number keeps two runs in one folder apart. Short, so that it fits
// wherever the payload's own name fits.
void temporaryName(wchar_t (&name)[24])
{
    char ascii[24];
    snprintf(ascii, sizeof ascii, ";setup%lx.tmp", static_cast<unsigned long>(GetCurrentProcessId()));
    for (size_t i = 0; i < sizeof ascii; i++) name[i] = wchar_t(ascii[i]);
}

// A file that cannot be replaced whole: read-only, or a folder. Windows
// refuses to move over either (error 5); Wine would replace a read-only
// file, so it is refused here, before anything is written, on both.
bool isUnreplaceable(const wchar_t* path)
{
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0;
}

// Ends the run over a temporary file that failed: it is closed (unless it
// never opened; a handle whose close failed is closed again, harmlessly, as
// nothing else runs that could have been given its number) and removed, so
// that only the old file stays. The failed call's error is read before the
// clean-up can change it.
[[noreturn]] void abandon(const FatalText& text, const char* path, HANDLE file, const wchar_t* temporary)
{
    DWORD error = GetLastError();
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    DeleteFileW(temporary);
    reportFatal(text.code, text.format, path, int(error));
}

}  // namespace

// The payloads' names, in any alphabet, are written in UTF-16 relative to
// the install folder, the current directory (set in UTF-16 too); a fatal
// message names the file as the manifest gave it. The file is written whole under a temporary name and only then
// moved over any old one, so that a failure part way (a full drive, a lost
// network folder) leaves the old file as it was and no part of the new.
void writePayloadFile(const char* path, PayloadEntry entry)
{
    WideName name(path);
    if (isUnreplaceable(name.text)) {
        SetLastError(ERROR_ACCESS_DENIED);
        fail(cantDeleteFile, path);
    }
    wchar_t temporary[24];
    temporaryName(temporary);
    HANDLE file =
        platform.createFile(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) abandon(cantCreateFile, path, file, temporary);
    DWORD written = 0;
    // An empty payload has no buffer; an empty write still creates the file.
    static const uint8_t nothing = 0;
    if (!platform.writeFile(file, entry.data ? entry.data : &nothing, entry.size, &written, nullptr))
        abandon(cantWriteFile, path, file, temporary);
    if (written != entry.size) abandon(fileWriteError, path, file, temporary);
    if (!platform.setFileTime(file, &entry.fileTime, &entry.fileTime, &entry.fileTime))
        abandon(cantSetFileTime, path, file, temporary);
    if (!platform.closeHandle(file)) abandon(fileCloseError, path, file, temporary);
    // One step: the name shows the old file or the whole new one, never
    // neither; written through, so that the step is on the disk when done.
    if (!platform.moveFileEx(temporary, name.text, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        abandon(cantDeleteFile, path, INVALID_HANDLE_VALUE, temporary);
}

void copyPayloads()
{
    installReport.passBegins(copyPass, payloadCount());
    for (int i = 0; payloadTable[i].fileName; i++) {
        installReport.passSteps(copyPass, i);
        writePayloadFile(payloadTable[i].fileName, payloadTable[i]);
    }
    installReport.passEnds(copyPass);
}
