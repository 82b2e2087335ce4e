#include "automation/MemberNames.h"

#include <cwchar>

// Names are folded to lower case (ASCII letters, as member names are); a name too
// long to fold is left to the type information.
unsigned MemberNames::fold(const OLECHAR *name, OLECHAR *out) {
    unsigned hash = 2166136261u;
    int i = 0;
    for (; name[i] != 0; ++i) {
        if (i + 1 >= maxNameChars) return 0;
        OLECHAR c = name[i];
        if (c >= L'A' && c <= L'Z') c = static_cast<OLECHAR>(c - L'A' + L'a');
        out[i] = c;
        hash = (hash ^ c) * 16777619u;
    }
    out[i] = 0;
    return hash | 1;
}

bool MemberNames::load(ITypeInfo *typeInfo) {
    m_count = 0;
    TYPEATTR *attributes = nullptr;
    if (!typeInfo || FAILED(typeInfo->GetTypeAttr(&attributes))) return false;
    WORD functions = attributes->cFuncs;
    typeInfo->ReleaseTypeAttr(attributes);
    for (WORD i = 0; i < functions && m_count < maxMembers; ++i) {
        FUNCDESC *function = nullptr;
        if (FAILED(typeInfo->GetFuncDesc(i, &function))) continue;
        MEMBERID id = function->memid;
        typeInfo->ReleaseFuncDesc(function);
        BSTR name = nullptr;
        UINT names = 0;
        if (FAILED(typeInfo->GetNames(id, &name, 1, &names)) || names == 0) continue;
        Member &member = m_members[m_count];
        member.hash = fold(name, member.folded);
        member.id = id;
        SysFreeString(name);
        if (member.hash != 0) ++m_count;
    }
    return true;
}

bool MemberNames::find(const OLECHAR *name, DISPID &id) const {
    if (!name) return false;
    OLECHAR folded[maxNameChars];
    unsigned hash = fold(name, folded);
    if (hash == 0) return false;
    for (int i = 0; i < m_count; ++i) {
        const Member &member = m_members[i];
        if (member.hash == hash && wcscmp(member.folded, folded) == 0) {
            id = member.id;
            return true;
        }
    }
    return false;
}
