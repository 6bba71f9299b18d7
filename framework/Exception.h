#pragma once
// Base of the exceptions the suite throws by pointer (throw new ...; catch (CException* e) { ...; e->Delete(); }).
#include <string>

class CException {
public:
    virtual ~CException() = default;
    // Frees a heap-allocated exception; every catch that ends the exception's life calls it.
    virtual void Delete() { delete this; }
    // Human-readable text of the error; false when there is none.
    virtual bool GetErrorMessage(std::wstring& message) const {
        message.clear();
        return false;
    }
};
