#pragma once
// Runs code that must throw a CFileException* and hands the exception to the test.
#include <gtest/gtest.h>

#include <memory>

#include "framework/FileException.h"

struct FileExceptionDeleter {
    void operator()(CFileException* e) const {
        if (e) e->Delete();
    }
};
using CaughtFileException = std::unique_ptr<CFileException, FileExceptionDeleter>;

// The CFileException that f threw, also when thrown as a CException*; null (and a test
// failure) when it threw none.
template <typename F>
CaughtFileException CatchFileException(F f) {
    try {
        f();
    } catch (CException* e) {
        if (CFileException* file = dynamic_cast<CFileException*>(e)) return CaughtFileException(file);
        e->Delete();
        ADD_FAILURE() << "a CException other than CFileException was thrown";
        return CaughtFileException();
    }
    ADD_FAILURE() << "no CFileException thrown";
    return CaughtFileException();
}
