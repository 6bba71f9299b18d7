// Anchor of the tests' precompiled headers.
