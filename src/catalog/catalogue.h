// The vendor's catalogue, fetched whole from the store.
#pragma once

namespace orvane {

// n > 0 products parsed into state().catalogue; 0 refused ("Error:1"), empty,
// or only the header row; -1 store not ready or a failure; -2 "err:version";
// -3 the store answered with a web page.
int fetchCatalogue();

}  // namespace orvane
