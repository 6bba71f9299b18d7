#pragma once
// Link commands recorded: which command, for which drive and link, answered from a queue a
// command, then with `otherwise`.
#include <deque>
#include <map>
#include <vector>

#include "utility/core/VlinkCommands.h"

class CRecordingVlinkCommands : public IVlinkCommands {
public:
    enum Command { kCreate = 1, kRemove = 2, kRelink = 3 };
    struct Call {
        Command command;
        wchar_t drive;
        CVelmoraEXVlinkData link;
    };
    int CreateLink(wchar_t drive, const CVelmoraEXVlinkData& link) override { return Answer(kCreate, drive, link); }
    int RemoveLink(wchar_t drive, const CVelmoraEXVlinkData& link) override { return Answer(kRemove, drive, link); }
    int Relink(wchar_t drive, const CVelmoraEXVlinkData& link) override { return Answer(kRelink, drive, link); }

    std::map<Command, std::deque<int>> answers;
    int otherwise = 1;
    std::vector<Call> calls;

private:
    int Answer(Command command, wchar_t drive, const CVelmoraEXVlinkData& link) {
        calls.push_back({command, drive, link});
        std::deque<int>& queue = answers[command];
        if (queue.empty()) return otherwise;
        const int answer = queue.front();
        queue.pop_front();
        return answer;
    }
};
