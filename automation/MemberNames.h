#pragma once

#include <oaidl.h>

// The member names of one dispatch interface, read once from its type information.
// Script hosts ask for a name before every call, and a type library's own lookup may
// search every member each time; this one compares a hash first.
class MemberNames {
public:
    // False when the type information could not be read; the table is then empty.
    bool load(ITypeInfo *typeInfo);
    // False for a name that is not a member, so the caller can ask the type
    // information, which reports the error as it always does.
    bool find(const OLECHAR *name, DISPID &id) const;

private:
    static const int maxMembers = 128;
    static const int maxNameChars = 48;
    struct Member {
        unsigned hash;
        DISPID id;
        OLECHAR folded[maxNameChars];
    };
    static unsigned fold(const OLECHAR *name, OLECHAR *out);
    Member m_members[maxMembers];
    int m_count = 0;
};
