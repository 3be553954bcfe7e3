#pragma once
// The connections between windows that live in libraries which cannot link
// each other (a lower window reaching a higher one). The program makes them
// once at start; the window tests make the same ones, so a window runs in a
// test as it runs in the program.

// Connects every window and module of the program to the ones above it.
// Creates no window and loads none; calling it again changes nothing.
void Wire_Program();
