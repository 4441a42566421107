// A VARIANT that clears itself.
#pragma once
#include <oaidl.h>

namespace nimbra {

class Variant : public VARIANT {
public:
    Variant() { VariantInit(this); }
    Variant(Variant&& other) noexcept : VARIANT(other) { VariantInit(&other); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(this); }
    // Hands the value to a caller who clears it itself; this one is left empty.
    VARIANT Detach() {
        VARIANT v = *this;
        VariantInit(this);
        return v;
    }
};

}  // namespace nimbra
