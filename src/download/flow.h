// What the user sees of a download: the Download File button, the poll timer
// with its progress bar and label, the retry on the second mirror, Cancel,
// and the record and shell open of a finished file.
#pragma once

#include <string>

namespace orvane {

// Asks the store for the file id of a product reference (pid). Returns the
// reply length; -1 when the pid has 3 characters or fewer or the store is not
// ready; -2 when no usable login is held even after the login dialog; 0 after
// an unexpected failure. fileReply holds the reply (empty on failure).
int requestFileId(const std::string& pid);

// Starts a download of the chosen file on mirror 1 (downloadMode 0, set by the
// Download File button) or, for the retry, on mirror 2 (downloadMode 1).
void startDownloadFlow();

// One tick of the poll timer (IDT_DOWNLOAD_POLL, every 500 ms).
void pollDownload();

// The Cancel button: clears the running flag; the worker stops by itself.
void cancelDownload();

}  // namespace orvane
