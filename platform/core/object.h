// The common root of objects that lists and owners hold by base pointer and free.
#pragma once

class TObject {
public:
    virtual ~TObject() = default;
};
