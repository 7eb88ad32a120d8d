#pragma once
// The file that keeps the file checks' verdicts across runs, "verdicts" in
// the user's cache folder (app/DataLocation). It is read once a run and
// written after new verdicts: under a lock on "verdicts.lock" beside it the
// file is read again, the new verdicts are merged in, and the whole is
// written to a new file renamed over the old (app/AtomicFile), so that two
// editors writing at once lose nothing and never leave a torn file. A file
// that is damaged, foreign, too large or not a regular file counts as absent.
#include <string>

#include "files/check/VerdictStore.h"

namespace sorn {

// The folder in use: the one set, else the user's cache folder.
std::string verdictCacheFolder();
// Puts the cache elsewhere (tests and benchmarks); empty: the user's again.
void setVerdictCacheFolder(const std::string& folder);

// The verdicts kept in folder; false (and store empty) when there are none
// to be trusted.
bool readVerdictCache(const std::string& folder, VerdictStore& store);
// Merges verdicts into the file in folder (made 0700 with its parents when
// missing); false when it could not be written.
bool writeVerdictCache(const std::string& folder, const VerdictStore& verdicts);

} // namespace sorn
