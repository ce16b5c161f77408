// What quadrel-probe --find prints: a line for each try as it ends, then
// the finding with its evidence and, when one was found, the setting in
// the form --settings takes; or all of it as one JSON object.
#pragma once

#include <string>
#include <vector>

#include "search/settings_search.h"

namespace quadrel::probe {

// "try 3: COM 1, 19200,O,8,1, RTS on: 412 bytes, 20 frames, 18 steady, 0
// bytes between frames, 0 line errors"
std::string tryText(int number, const SearchTry& t);
std::string findingText(const Finding& finding);
std::string findJson(const std::vector<SearchTry>& tries, const Finding& finding);

}  // namespace quadrel::probe
