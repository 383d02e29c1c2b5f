// A GL shim for end-to-end tests, loaded with LD_PRELOAD: the GL then looks
// as if it lacked GL_EXT_framebuffer_object (Mesa cannot be told to hide
// it). The name is blanked in the GL_EXTENSIONS string and renamed in the
// indexed list that the extension loader reads on GL 3 and later.
#include <GL/gl.h>
#include <GL/glx.h>
#include <dlfcn.h>

#include <cstring>
#include <string>

namespace {

const char kHidden[] = "GL_EXT_framebuffer_object";

using GetStringi = const GLubyte* (*)(GLenum, GLuint);
using GetProcAddress = void (*(*)(const GLubyte*))();
using GetString = const GLubyte* (*)(GLenum);

GetStringi realGetStringi = nullptr;

GetProcAddress realGetProcAddress()
{
    static const auto real = reinterpret_cast<GetProcAddress>(dlsym(RTLD_NEXT, "glXGetProcAddressARB"));
    return real;
}

const GLubyte* hidingGetStringi(GLenum name, GLuint index)
{
    const GLubyte* s = realGetStringi(name, index);
    if (name == GL_EXTENSIONS && s && std::strcmp(reinterpret_cast<const char*>(s), kHidden) == 0)
        return reinterpret_cast<const GLubyte*>("GL_hidden_by_test_shim");
    return s;
}

void (*lookUp(const GLubyte* procName))()
{
    if (std::strcmp(reinterpret_cast<const char*>(procName), "glGetStringi") == 0) {
        realGetStringi = reinterpret_cast<GetStringi>(realGetProcAddress()(procName));
        return realGetStringi ? reinterpret_cast<void (*)()>(hidingGetStringi) : nullptr;
    }
    return realGetProcAddress()(procName);
}

}  // namespace

extern "C" {

const GLubyte* glGetString(GLenum name)
{
    static const auto real = reinterpret_cast<GetString>(dlsym(RTLD_NEXT, "glGetString"));
    const GLubyte* s = real(name);
    if (name != GL_EXTENSIONS || !s)
        return s;
    // Every whole-word occurrence becomes blanks; the rest stays as it is.
    static std::string filtered;
    filtered = reinterpret_cast<const char*>(s);
    const std::string word = kHidden;
    for (size_t at = filtered.find(word); at != std::string::npos; at = filtered.find(word, at + 1)) {
        const size_t end = at + word.size();
        const bool whole = (at == 0 || filtered[at - 1] == ' ') &&
                           (end == filtered.size() || filtered[end] == ' ');
        if (whole)
            filtered.replace(at, word.size(), word.size(), ' ');
    }
    return reinterpret_cast<const GLubyte*>(filtered.c_str());
}

void (*glXGetProcAddressARB(const GLubyte* procName))() { return lookUp(procName); }
void (*glXGetProcAddress(const GLubyte* procName))() { return lookUp(procName); }

}
