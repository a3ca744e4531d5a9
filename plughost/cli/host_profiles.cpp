#include "plughost/cli/host_profiles.h"

#include <sstream>

namespace {

struct HostProfile {
    const char* name;
    const char* summary;   // what the real host does, in a few words
    const char* switches;  // space-separated, expanded in place of --host-profile
};

// 104857600 bytes: the fixed 100 MB that GIMP's bridge reports as maxSpace.
const HostProfile kProfiles[] = {
    {"photoshop", "the full interface, signature 8BIM", "--host-sig 8BIM"},
    {"photoshop-alike", "signature 8BIM, but keeps no parameters between runs",
     "--host-sig 8BIM --forget-parameters"},
    {"irfanview",
     "32/64-bit; plane fields 0, maxSpace in KB, keeps no parameters, ignores result codes",
     "--zero-out-planes --max-space-kb --forget-parameters --ignore-results"},
    {"gimp-pmig",
     "GIMP's .8bf bridge, signature PMIG: writes back only the last output rectangle, keeps "
     "no parameters, refuses empty handles, maxSpace 100 MB, steps through the PiPL by each "
     "length alone",
     "--host-sig PMIG --last-out-rect-only --forget-parameters --refuse-empty-handles "
     "--max-space 104857600 --pipl-length-only"},
    {"photodemon",
     "the open host library: 32-bit only, no padding, steps through the PiPL by each length "
     "alone",
     "--only-width 32 --padding no --pipl-length-only"},
    {"affinity", "64-bit only, ignores result codes", "--only-width 64 --ignore-results"},
    {"paintshop", "64-bit only; an out-of-memory result is shown as a bare \"Memory Error\"",
     "--only-width 64 --memory-error-bare"},
    {"paintdotnet", "Paint.NET's bridge: refuses a PiPL of an unknown interface version",
     "--check-pipl-version"},
};

}  // namespace

bool hostProfileSwitches(const std::string& name, std::vector<std::string>* switches) {
    for (const HostProfile& profile : kProfiles) {
        if (name != profile.name) continue;
        switches->clear();
        std::istringstream words(profile.switches);
        std::string word;
        while (words >> word) switches->push_back(word);
        return true;
    }
    return false;
}

std::string hostProfileList() {
    std::string list;
    for (const HostProfile& profile : kProfiles) {
        list +=
            std::string(profile.name) + ": " + profile.summary + " (" + profile.switches + ")\n";
    }
    return list;
}
