// Writing the payload files into the install folder.
#include "engine.h"  // windows.h comes first

#include "control_ids.h"
#include "fatal_codes.h"
#include "fatal_error.h"
#include "platform_calls.h"

// The payloads' names are ASCII (the manifest's check) and are written
// relative to the install folder, the current directory (set in UTF-16): an
// ANSI name is exact in every code page, and so is the fatal message that
// names it.
void writePayloadFile(const char* path, PayloadEntry entry)
{
    if (!DeleteFileA(path) && GetLastError() != ERROR_FILE_NOT_FOUND)
        reportFatal(cantDeleteFile.code, cantDeleteFile.format, path, int(GetLastError()));
    HANDLE file =
        platform.createFile(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        reportFatal(cantCreateFile.code, cantCreateFile.format, path, int(GetLastError()));
    DWORD written = 0;
    // An empty payload has no buffer; an empty write still creates the file.
    static const uint8_t nothing = 0;
    if (!platform.writeFile(file, entry.data ? entry.data : &nothing, entry.size, &written, nullptr))
        reportFatal(cantWriteFile.code, cantWriteFile.format, path, int(GetLastError()));
    if (written != entry.size) reportFatal(fileWriteError.code, fileWriteError.format, path, int(GetLastError()));
    if (!platform.setFileTime(file, &entry.fileTime, &entry.fileTime, &entry.fileTime))
        reportFatal(cantSetFileTime.code, cantSetFileTime.format, path, int(GetLastError()));
    if (!platform.closeHandle(file))
        reportFatal(fileCloseError.code, fileCloseError.format, path, int(GetLastError()));
}

bool copyPayloads(HWND dialog)
{
    beginProgress(dialog, "Copying files...", IDC_COPY_PROGRESS, payloadCount());
    for (int i = 0; payloadTable[i].fileName; i++) {
        showProgress(dialog, IDC_COPY_PROGRESS, i);
        writePayloadFile(payloadTable[i].fileName, payloadTable[i]);
    }
    endProgress(dialog, IDC_COPY_PROGRESS);
    SetDlgItemTextA(dialog, IDC_STATUS_TEXT, "Files have been copied to the following folder:");
    return true;
}
