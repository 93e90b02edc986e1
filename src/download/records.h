// Download records beside each product file, and the file status text.
#pragma once

#include <string>

#include "catalog/selected.h"

namespace orvane {

// downloadFolder + "\OrvanePurchase\" + vendorId + "\".
std::string productFolder();
// The shell's short size text of a byte count given as text (automatic base).
std::string formatByteSize(const std::string& bytes);
// Writes the five-line record of the chosen file (target + ".cfg").
void writeDownloadRecord();
// The same for a product whose files field holds the downloaded file's name.
void writeDownloadRecord(const SelectedProduct& product);
// Rebuilds the file status text of the chosen file.
void refreshFileStatus();
// Shows the status line that fits the selected product (one file or several).
void showStatusLine();

}  // namespace orvane
