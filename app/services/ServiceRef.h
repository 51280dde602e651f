#pragma once

// A service in the bundle: made from a reference, so it is never null, and
// used like a pointer. Not owning; the program object outlives every bundle.
template <class T> class ServiceRef
{
public:
    ServiceRef(T &object) : m_object(&object) {} // NOLINT(google-explicit-constructor)

    T *operator->() const { return m_object; }
    T &operator*() const { return *m_object; }
    operator T *() const { return m_object; } // NOLINT(google-explicit-constructor)
    T *get() const { return m_object; }

private:
    T *m_object;
};
