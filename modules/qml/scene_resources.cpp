// The scene's documents and artwork live in this library's resources; a static library needs a source of
// its own for the linker to carry them into the program.
