// A GL shim for end-to-end tests, loaded with LD_PRELOAD: the GL then looks
// as if it lacked GL_EXT_framebuffer_object (Mesa cannot be told to hide it).
// GLEW reads the indexed extension list through glGetStringi, which it looks
// up with glXGetProcAddressARB; the hidden name is renamed there.
#include <GL/gl.h>
#include <GL/glx.h>
#include <dlfcn.h>

#include <cstring>

namespace {

using GetStringi = const GLubyte* (*)(GLenum, GLuint);
using Proc = void (*)();
GetStringi realGetStringi = nullptr;

const GLubyte* hidingGetStringi(GLenum name, GLuint index)
{
    const GLubyte* s = realGetStringi(name, index);
    if (name == GL_EXTENSIONS && s &&
        std::strcmp(reinterpret_cast<const char*>(s), "GL_EXT_framebuffer_object") == 0)
        return reinterpret_cast<const GLubyte*>("GL_hidden_by_test_shim");
    return s;
}

}  // namespace

extern "C" Proc glXGetProcAddressARB(const GLubyte* procName)
{
    static const auto real =
        reinterpret_cast<Proc (*)(const GLubyte*)>(dlsym(RTLD_NEXT, "glXGetProcAddressARB"));
    if (std::strcmp(reinterpret_cast<const char*>(procName), "glGetStringi") != 0)
        return real(procName);
    realGetStringi = reinterpret_cast<GetStringi>(real(procName));
    return realGetStringi ? reinterpret_cast<Proc>(hidingGetStringi) : nullptr;
}
