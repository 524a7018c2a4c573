// The player's main window on the main thread: its class, its answers to the plug-in's queries,
// the keys the plug-in forwards to it, and its close button, which ends the run.
#include "host/run/host_window.h"
#include <atomic>
#include <string>
#include "host/playback/audio_feed.h"
#include "host/player/player_window.h"
#include "host/run/host_state.h"
#include "host/base/json_log.h"
#include "host/harness/quirks.h"
#include "host/run/soak.h"

const char kHostClass[] = "SmearscopeHostWindow";

namespace {

std::atomic<bool> hostClosing{false};    // the host window was asked to close: end the run

// The bench's answers, each logged on the query's line.
class BenchAnswers : public PlayerAnswers {
public:
    explicit BenchAnswers(JsonLine& line) : line(line) {}
    bool Playing() override {
        const bool playing = SoakIsPlaying(hostState.options.soak, hostState.frame, !hostState.options.notPlaying &&
                                                                (!AudioFeedActive() || AudioFeedPlaying()));
        line.Int("answer", playing ? 1 : 0);
        return playing;
    }
    int ListPosition() override {
        const int position = AudioFeedActive() ? AudioFeedIndex() : 0;
        line.Int("answer", position);
        return position;
    }
    const char* Title(WPARAM index) override {
        static std::string title;
        bool overridden = false;
        if (const char* drill = SoakTitle(hostState.options.soak, hostState.frame, overridden); overridden) {
            line.Int("answer_length", drill ? lstrlenA(drill) : 0);
            return drill;
        }
        title = AudioFeedActive() ? AudioFeedTitle((long long)index) : hostState.options.title;
        line.Str("answer", hostState.options.nullTitle ? nullptr : title.c_str());
        return hostState.options.nullTitle ? nullptr : title.c_str();
    }
    void Unknown(LPARAM) override { line.Int("answer", 0); }

private:
    JsonLine& line;
};

LRESULT AnswerQuery(WPARAM wParam, LPARAM lParam) {
    LRESULT answer = 0;
    if (QuirkAnswersQuery(wParam, lParam, answer)) return answer;
    JsonLine line("query");
    line.Int("lparam", (long long)lParam).Int("wparam", (long long)wParam);
    BenchAnswers answers(line);
    answer = AnswerPlayerQuery(wParam, lParam, answers);
    line.Write();
    return answer;
}

void ForwardedKey(WPARAM wParam, LPARAM lParam) {
    JsonLine("forwarded_key").Int("wparam", (long long)wParam).Int("lparam", (long long)(DWORD)lParam).Write();
    AudioFeedKey(wParam);
}

void CloseAsked() { hostClosing = true; }

}  // namespace

HWND MakeHostWindow(const char* title, int x, int y) {
    PlayerWindowHandlers handlers;
    handlers.query = AnswerQuery;
    handlers.key = ForwardedKey;
    handlers.close = CloseAsked;
    return CreatePlayerWindow(kHostClass, handlers, title, WS_OVERLAPPEDWINDOW, 0, x, y, 260, 180);
}

HWND CreateHostWindow() {
    // Out of the way of the plug-in's window, which starts near the top left.
    HWND window = MakeHostWindow("Smearscope host", 1000, 780);
    if (window) ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

void DestroyHostWindow(HWND window) { DestroyPlayerWindow(window, kHostClass); }

void PumpHostMessages() { PumpPlayerMessages(); }

bool HostWindowClosing() { return hostClosing; }
