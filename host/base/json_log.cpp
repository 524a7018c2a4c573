// The host's event log: one JSON object per line, written as events happen, from any thread.
// Lines are flushed one by one so that the log survives a crash in the plug-in.
#include "host/base/json_log.h"
#include <windows.h>
#include <cstdio>

namespace {
FILE* logFile = nullptr;
CRITICAL_SECTION logLock;
bool lockReady = false;
}  // namespace

bool JsonLogOpen(const char* path) {
    if (!lockReady) {
        InitializeCriticalSection(&logLock);
        lockReady = true;
    }
    logFile = std::fopen(path, "wb");
    return logFile != nullptr;
}

void JsonLogClose() {
    if (!lockReady) return;
    EnterCriticalSection(&logLock);
    if (logFile) std::fclose(logFile);
    logFile = nullptr;
    LeaveCriticalSection(&logLock);
}

std::string JsonEscape(const char* text) {
    std::string out;
    for (const unsigned char* p = (const unsigned char*)text; *p; ++p) {
        unsigned char c = *p;
        if (c == '"' || c == '\\') {
            out += '\\';
            out += (char)c;
        } else if (c < 0x20 || c >= 0x80) {
            char code[8];
            std::snprintf(code, sizeof(code), "\\u%04x", c);
            out += code;
        } else {
            out += (char)c;
        }
    }
    return out;
}

JsonLine::JsonLine(const char* event) : text("{\"event\":\"") {
    text += JsonEscape(event);
    text += '"';
}

void JsonLine::Key(const char* key) {
    text += ",\"";
    text += key;
    text += "\":";
}

JsonLine& JsonLine::Int(const char* key, long long value) {
    Key(key);
    text += std::to_string(value);
    return *this;
}

JsonLine& JsonLine::Num(const char* key, double value) {
    Key(key);
    char number[32];
    std::snprintf(number, sizeof(number), "%.6g", value);
    text += number;
    return *this;
}

JsonLine& JsonLine::Bool(const char* key, bool value) {
    Key(key);
    text += value ? "true" : "false";
    return *this;
}

JsonLine& JsonLine::Str(const char* key, const char* value) {
    if (!value) return Null(key);
    Key(key);
    text += '"';
    text += JsonEscape(value);
    text += '"';
    return *this;
}

JsonLine& JsonLine::Null(const char* key) {
    Key(key);
    text += "null";
    return *this;
}

void JsonLine::Write() {
    if (!lockReady) return;
    EnterCriticalSection(&logLock);
    if (logFile) {
        std::fputs(text.c_str(), logFile);
        std::fputs("}\n", logFile);
        std::fflush(logFile);
    }
    LeaveCriticalSection(&logLock);
}
