#pragma once

// What the connection and the statement halves of the Firebird wrapper share; only those two
// files include this.

#include <firebird/Interface.h>

#include <atomic>
#include <type_traits>

#include "Firebird.h"

namespace sw::fb {

using Firebird::FbException;
using Firebird::IMaster;
using Firebird::IMessageMetadata;
using Firebird::IStatus;
using Firebird::ThrowStatusWrapper;

constexpr int kDialect = 3;

/// The client's master interface; the first call points the engine at its lock folder.
IMaster* Master();

/// True when the client's error vector holds the engine's "string right truncation".
inline bool HoldsStringTruncation(const intptr_t* errors) {
    constexpr intptr_t kStringTruncation = 335544914;  // isc_string_truncation
    for (const intptr_t* at = errors; at && *at != isc_arg_end;) {
        if (at[0] == isc_arg_gds && at[1] == kStringTruncation) {
            return true;
        }
        at += at[0] == isc_arg_cstring ? 3 : 2;
    }
    return false;
}

/// Runs `call` with a throwing status wrapper and turns the client's error into DatabaseError.
template <typename Call>
auto Checked(Call&& call) {
    IStatus* raw = Master()->getStatus();
    ThrowStatusWrapper status(raw);
    try {
        if constexpr (std::is_void_v<decltype(call(&status))>) {
            call(&status);
            raw->dispose();
        } else {
            auto result = call(&status);
            raw->dispose();
            return result;
        }
    } catch (const FbException& error) {
        char text[2048];
        Master()->getUtilInterface()->formatStatus(text, sizeof text, error.getStatus());
        const bool truncation = HoldsStringTruncation(error.getStatus()->getErrors());
        raw->dispose();
        throw DatabaseError(text, truncation);
    }
}

/// Releases an interface without letting a cleanup failure escape a destructor.
template <typename Interface>
void ReleaseQuietly(Interface*& object) {
    if (object) {
        object->release();
        object = nullptr;
    }
}

struct Connection::Impl {
    Firebird::IAttachment* attachment = nullptr;
    Firebird::ITransaction* transaction = nullptr;
    unsigned serial = 0;
    /// Tells this process's connections apart in their change marks.
    unsigned id = NextConnectionId();
    /// Statements run that may have changed the catalogue.
    unsigned changes = 0;

    static unsigned NextConnectionId() {
        static std::atomic<unsigned> last{0};
        return ++last;
    }

    Firebird::ITransaction* Transaction() {
        if (!transaction) {
            transaction = Checked(
                [&](ThrowStatusWrapper* status) { return attachment->startTransaction(status, 0, nullptr); });
            ++serial;
        }
        return transaction;
    }
};

}  // namespace sw::fb
