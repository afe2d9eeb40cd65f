// A view of the install's pages for tests: answers from a script, and what it was shown written
// down one event a line. It sets what the script says whether a page allows it or not, so that
// the rules are seen to be the front end's.
#pragma once

#include "../../apps/tarnwell-setup/SetupFrontEnd.h"

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tarn::test {

class RecordingInstallView : public setup::IInstallView {
public:
    // The script; a page without an answer takes its default.
    bool goOn = true;
    std::optional<int> installType;
    std::map<std::string, bool> include;          // by caption
    std::map<std::string, std::string> passwords; // by caption; none gives the empty text
    std::deque<std::string> folders;              // one for each time the folder is asked
    std::string cancelAt;                         // "type", "groups", "password", "folder"
    bool restartNow = false;

    // "welcome C|P|V", "type T of A,B", "groups", "password C", "folder F changeable|fixed",
    // "message M", "status S", "action W I", "progress D/T", "restart", "finished N".
    std::vector<std::string> events;
    std::vector<setup::TGroupChoice> shownGroups;

    // The events of one kind, without their first word.
    std::vector<std::string> Events(const std::string& kind) const {
        std::vector<std::string> found;
        for (const std::string& e : events)
            if (e == kind)
                found.emplace_back();
            else if (e.compare(0, kind.size() + 1, kind + " ") == 0)
                found.push_back(e.substr(kind.size() + 1));
        return found;
    }

    bool Welcome(const std::string& company, const std::string& product,
                 const std::string& version) override {
        events.push_back("welcome " + company + "|" + product + "|" + version);
        return goOn;
    }
    std::optional<int> AskInstallType(const std::vector<int>& types, int current) override {
        std::string list;
        for (int t : types)
            list += (list.empty() ? "" : ",") + std::to_string(t);
        events.push_back("type " + std::to_string(current) + " of " + list);
        if (cancelAt == "type") return std::nullopt;
        return installType.value_or(current);
    }
    bool AskGroups(std::vector<setup::TGroupChoice>& groups) override {
        events.push_back("groups");
        shownGroups = groups;
        if (cancelAt == "groups") return false;
        for (setup::TGroupChoice& group : groups)
            if (auto it = include.find(group.caption); it != include.end())
                group.include = it->second;
        return true;
    }
    std::optional<std::string> AskPassword(const setup::TGroupChoice& group) override {
        events.push_back("password " + group.caption);
        if (cancelAt == "password") return std::nullopt;
        auto it = passwords.find(group.caption);
        return it == passwords.end() ? std::string() : it->second;
    }
    std::optional<std::string> AskFolder(const std::string& folder, bool changeable) override {
        events.push_back("folder " + folder + (changeable ? " changeable" : " fixed"));
        if (cancelAt == "folder") return std::nullopt;
        if (folders.empty()) return folder;
        std::string answer = folders.front();
        folders.pop_front();
        return answer;
    }
    void Message(const std::string& text) override { events.push_back("message " + text); }
    bool AskRestart() override {
        events.push_back("restart");
        return restartNow;
    }
    void Finished(setup::TSetupStatus status, bool) override {
        events.push_back("finished " + std::to_string(static_cast<int>(status)));
    }
    void Status(const std::string& text) override { events.push_back("status " + text); }
    void Action(const std::string& what, const std::string& item) override {
        events.push_back("action " + what + " " + item);
    }
    void Progress(std::int64_t done, std::int64_t total) override {
        events.push_back("progress " + std::to_string(done) + "/" + std::to_string(total));
    }
};

} // namespace tarn::test
