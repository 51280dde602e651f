#pragma once

#include <QString>

// Client-side ids for new notes and categories until the service gives its own.
// An id is the Unix second (Clock::nowSecs()) times 10000 plus a random number
// 1000..9998 that no other id of the same second has. Safe from any thread.
//
// When all 8999 numbers of a second are used, the generator waits for the next
// second (or, when the clock does not move within a second, moves on to it).
// When the clock steps back, ids keep counting in the largest second seen, so an
// id is never handed out twice in a process.
class NoteId
{
public:
    // The decimal number.
    static QString getId();
    // "c" followed by getId().
    static QString getClientId();
};
