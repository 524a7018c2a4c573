// The host's event log: one JSON object per line, written as events happen, from any thread.
// Build a line with JsonLine, then Write() it; without --log nothing is written.
#pragma once
#include <string>

bool JsonLogOpen(const char* path);
void JsonLogClose();
// Escapes text for a JSON string body: quote, backslash, control characters and bytes >= 0x80 as \uXXXX.
std::string JsonEscape(const char* text);

class JsonLine {
public:
    explicit JsonLine(const char* event);
    JsonLine& Int(const char* key, long long value);
    JsonLine& Num(const char* key, double value);  // up to 6 significant digits
    JsonLine& Bool(const char* key, bool value);
    JsonLine& Str(const char* key, const char* value);  // null value writes null
    JsonLine& Null(const char* key);
    void Write();  // appends the line and flushes, so a crash leaves a complete log

private:
    void Key(const char* key);
    std::string text;
};
