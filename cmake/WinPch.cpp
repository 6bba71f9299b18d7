// Anchor of the Windows sources' precompiled header.
