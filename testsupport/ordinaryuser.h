// Permission bits bind root only through another effective user: while one of these
// lives, a test run as root acts as "nobody" (and an ordinary user acts as itself).
// Header only, so the plain C++ library's tests can use it without the rest.
#pragma once

#include <QTest>

#include <unistd.h>

struct AsOrdinaryUser {
    bool Switched = false;
    AsOrdinaryUser()
    {
        if (geteuid() == 0)
            Switched = setegid(65534) == 0 && seteuid(65534) == 0;
    }
    ~AsOrdinaryUser()
    {
        if (Switched) {
            QVERIFY(seteuid(0) == 0);
            QVERIFY(setegid(0) == 0);
        }
    }
    AsOrdinaryUser(const AsOrdinaryUser&) = delete;
    AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;
    bool Ok() const { return geteuid() != 0; }
};
