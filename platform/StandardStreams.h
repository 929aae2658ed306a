#pragma once

#include <cstddef>
#include <cstdint>

// Standard input and output as plain bytes, for a program that speaks a
// protocol over them: no line-end translation, no end-of-file character, no
// buffering in between.

// Makes both streams binary where the system would translate line ends.
void UseBinaryStandardStreams();

// Where standard output is a pipe whose size a program may set, makes it
// as large as is allowed without privilege: an answer of megabytes then
// goes out in a few turns of the two processes, not hundreds.
void WidenStandardOutputPipe();

// Up to `room` bytes of standard input into `into`: the count, 0 at the end
// of input, -1 when reading failed. Waits until some input is there.
int64_t ReadStandardInput(char* into, size_t room);

// All of [data, data + size) to standard output; false when it could not be
// written (the reader has gone).
bool WriteStandardOutput(const char* data, size_t size);
