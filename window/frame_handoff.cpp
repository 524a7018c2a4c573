// Frames asked for on a thread other than the window's: handed to the window's own thread with a
// private message, drawn there by the window procedure, and waited for by the caller.
#include "window/frame_handoff.h"
#include <atomic>
#include "plugin/plugin.h"
#include "render/frame.h"
#include "window/display_window.h"

// Only the delivery is bounded. Wine runs every multimedia-timer callback of a process on one
// thread, so a host that renders from a timer stalls all its other timers while Render waits; and
// a host that stops by taking, on the window's thread, the lock it holds around Render waits this
// long for the frame to be abandoned. 20 ms is under one period of a 40-a-second timer, so a frame
// that could not be delivered is given up before the next tick is due, and far above the time a
// thread waiting in its message loop takes to answer.
const DWORD kFrameDeliveryMs = 20;

namespace {

// One ticket at a time, serial and state in one word so that a message delivered after its caller
// gave up (a timed-out send stays queued) finds a newer serial and does nothing.
enum : unsigned { kDone = 0, kPending = 1, kRunning = 2, kAbandoned = 3, kStateBits = 2 };
std::atomic<unsigned> ticketWord{kDone};
std::atomic<unsigned> lastSerial{0};
// Window-thread state, never read elsewhere.
bool handoffOpen = false;
bool frameUnderWay = false;

unsigned Ticket(unsigned serial, unsigned state) { return (serial << kStateBits) | state; }
unsigned StateOf(unsigned word) { return word & ((1u << kStateBits) - 1); }

// Sleeps up to a millisecond, answering the messages other threads send meanwhile, as a thread
// waiting in SendMessage does: a frame's query may go to a window of the waiting thread.
void WaitAnsweringSentMessages() {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_SENDMESSAGE);
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

int ResultWithoutFrame() { return quitRequested ? 1 : 0; }

}  // namespace

void FrameHandoffOpen() { handoffOpen = true; }

void FrameHandoffClose() { handoffOpen = false; }

bool DrawFrameOnce(VisModule* module) {
    if (frameUnderWay) return false;
    frameUnderWay = true;
    RenderFrame(module);
    frameUnderWay = false;
    return true;
}

int RenderOnWindowThread(VisModule* module) {
    HWND window = displayHandles.window;
    // No window yet (a host's timer already ticking during Init) or any more: nothing to draw.
    if (!window) return ResultWithoutFrame();
    // The serial stays within the word beside the state; it may wrap, a stale message is ms old.
    const unsigned serial = (lastSerial.fetch_add(1) + 1) & (~0u >> kStateBits);
    unsigned current = ticketWord.load();
    // Another thread's frame is under way: this one is skipped, not run beside it.
    if (StateOf(current) == kPending || StateOf(current) == kRunning) return ResultWithoutFrame();
    if (!ticketWord.compare_exchange_strong(current, Ticket(serial, kPending))) return ResultWithoutFrame();
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, kHandedFrameMessage, serial, (LPARAM)module, SMTO_NORMAL, kFrameDeliveryMs, &ignored);
    // Not begun, whether refused, undelivered or timed out: it never will be.
    unsigned pending = Ticket(serial, kPending);
    if (ticketWord.compare_exchange_strong(pending, Ticket(serial, kAbandoned))) return ResultWithoutFrame();
    // Begun: the frame reads the module's spectrum until its end, which a released host would rewrite.
    while (ticketWord.load() == Ticket(serial, kRunning)) WaitAnsweringSentMessages();
    return 0;
}

void RunHandedFrame(WPARAM ticket, LPARAM module) {
    // Refused frames keep their ticket pending: the caller abandons it.
    if (!handoffOpen || frameUnderWay || quitRequested || !DrawingAllowedOnThisThread()) return;
    unsigned pending = Ticket((unsigned)ticket, kPending);
    if (!ticketWord.compare_exchange_strong(pending, Ticket((unsigned)ticket, kRunning))) return;
    DrawFrameOnce((VisModule*)module);
    ticketWord.store(Ticket((unsigned)ticket, kDone));
}
