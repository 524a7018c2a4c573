// Reading a WAV file from disk with the platform's multimedia file functions.
#pragma once
#include <string>
#include "host/sound/wav_format.h"

// Loads path into clip. Returns "" on success, else the fault in a few words.
std::string LoadWavFile(const std::string& path, AudioClip& clip);
