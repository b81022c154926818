// The WebGL 2 calls the layer draws with. The OpenGL 1.1 names are the layer's own entry
// points, so WebGL is reached through the toolchain's second name for each call.
#pragma once

#include <GL/gl.h>

#include <cstdint>

using GLsizeiptr = std::intptr_t;
using GLintptr = std::intptr_t;
using GLchar = char;

extern "C" {
void emscripten_glActiveTexture(GLenum texture);
void emscripten_glAttachShader(GLuint program, GLuint shader);
void emscripten_glBindAttribLocation(GLuint program, GLuint index, const GLchar* name);
void emscripten_glBindBuffer(GLenum target, GLuint buffer);
void emscripten_glBindFramebuffer(GLenum target, GLuint framebuffer);
void emscripten_glBindRenderbuffer(GLenum target, GLuint renderbuffer);
void emscripten_glBindTexture(GLenum target, GLuint texture);
void emscripten_glBindVertexArray(GLuint array);
void emscripten_glBlendFunc(GLenum sfactor, GLenum dfactor);
void emscripten_glBlitFramebuffer(GLint srcX0, GLint srcY0, GLint srcX1, GLint srcY1, GLint dstX0, GLint dstY0,
                                  GLint dstX1, GLint dstY1, GLbitfield mask, GLenum filter);
void emscripten_glBufferData(GLenum target, GLsizeiptr size, const void* data, GLenum usage);
GLenum emscripten_glCheckFramebufferStatus(GLenum target);
void emscripten_glClear(GLbitfield mask);
void emscripten_glClearColor(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
void emscripten_glClearDepthf(GLfloat depth);
void emscripten_glClearStencil(GLint s);
void emscripten_glBlendFuncSeparate(GLenum srcRgb, GLenum dstRgb, GLenum srcAlpha, GLenum dstAlpha);
void emscripten_glColorMask(GLboolean r, GLboolean g, GLboolean b, GLboolean a);
void emscripten_glCompileShader(GLuint shader);
void emscripten_glCopyTexSubImage2D(GLenum target, GLint level, GLint xoffset, GLint yoffset, GLint x, GLint y,
                                    GLsizei width, GLsizei height);
GLuint emscripten_glCreateProgram();
GLuint emscripten_glCreateShader(GLenum type);
void emscripten_glCullFace(GLenum mode);
void emscripten_glDeleteBuffers(GLsizei n, const GLuint* buffers);
void emscripten_glDeleteShader(GLuint shader);
void emscripten_glDeleteTextures(GLsizei n, const GLuint* textures);
void emscripten_glDeleteVertexArrays(GLsizei n, const GLuint* arrays);
void emscripten_glDepthFunc(GLenum func);
void emscripten_glDepthMask(GLboolean flag);
void emscripten_glDisable(GLenum cap);
void emscripten_glDrawArrays(GLenum mode, GLint first, GLsizei count);
void emscripten_glEnable(GLenum cap);
void emscripten_glEnableVertexAttribArray(GLuint index);
void emscripten_glFramebufferRenderbuffer(GLenum target, GLenum attachment, GLenum renderbuffertarget,
                                          GLuint renderbuffer);
void emscripten_glFrontFace(GLenum mode);
void emscripten_glGenBuffers(GLsizei n, GLuint* buffers);
void emscripten_glGenFramebuffers(GLsizei n, GLuint* framebuffers);
void emscripten_glGenRenderbuffers(GLsizei n, GLuint* renderbuffers);
void emscripten_glGenTextures(GLsizei n, GLuint* textures);
void emscripten_glGenVertexArrays(GLsizei n, GLuint* arrays);
void emscripten_glGetProgramInfoLog(GLuint program, GLsizei bufSize, GLsizei* length, GLchar* infoLog);
void emscripten_glGetProgramiv(GLuint program, GLenum pname, GLint* params);
void emscripten_glGetShaderInfoLog(GLuint shader, GLsizei bufSize, GLsizei* length, GLchar* infoLog);
void emscripten_glGetShaderiv(GLuint shader, GLenum pname, GLint* params);
GLint emscripten_glGetUniformLocation(GLuint program, const GLchar* name);
void emscripten_glLinkProgram(GLuint program);
void emscripten_glPixelStorei(GLenum pname, GLint param);
void emscripten_glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                             void* pixels);
void emscripten_glRenderbufferStorage(GLenum target, GLenum internalformat, GLsizei width, GLsizei height);
void emscripten_glScissor(GLint x, GLint y, GLsizei width, GLsizei height);
void emscripten_glShaderSource(GLuint shader, GLsizei count, const GLchar* const* string, const GLint* length);
void emscripten_glStencilFunc(GLenum func, GLint ref, GLuint mask);
void emscripten_glStencilMask(GLuint mask);
void emscripten_glStencilOp(GLenum fail, GLenum zfail, GLenum zpass);
void emscripten_glTexImage2D(GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height,
                             GLint border, GLenum format, GLenum type, const void* pixels);
void emscripten_glTexParameteri(GLenum target, GLenum pname, GLint param);
void emscripten_glUniform1i(GLint location, GLint v0);
void emscripten_glUniform1f(GLint location, GLfloat v0);
void emscripten_glUniform2fv(GLint location, GLsizei count, const GLfloat* value);
void emscripten_glUniform3fv(GLint location, GLsizei count, const GLfloat* value);
void emscripten_glUniform4fv(GLint location, GLsizei count, const GLfloat* value);
void emscripten_glUniformMatrix3fv(GLint location, GLsizei count, GLboolean transpose, const GLfloat* value);
void emscripten_glUniformMatrix4fv(GLint location, GLsizei count, GLboolean transpose, const GLfloat* value);
void emscripten_glUseProgram(GLuint program);
void emscripten_glVertexAttribPointer(GLuint index, GLint size, GLenum type, GLboolean normalized, GLsizei stride,
                                      const void* pointer);
void emscripten_glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
}

// WebGL 2 enums that the desktop 1.1 header does not carry.
constexpr GLenum kWebglArrayBuffer = 0x8892;
constexpr GLenum kWebglStreamDraw = 0x88E0;
constexpr GLenum kWebglStaticDraw = 0x88E4;
constexpr GLenum kWebglFramebuffer = 0x8D40;
constexpr GLenum kWebglReadFramebuffer = 0x8CA8;
constexpr GLenum kWebglDrawFramebuffer = 0x8CA9;
constexpr GLenum kWebglRenderbuffer = 0x8D41;
constexpr GLenum kWebglColorAttachment0 = 0x8CE0;
constexpr GLenum kWebglDepthStencilAttachment = 0x821A;
constexpr GLenum kWebglFramebufferComplete = 0x8CD5;
constexpr GLenum kWebglRgba8 = 0x8058;
constexpr GLenum kWebglRgb8 = 0x8051;
constexpr GLenum kWebglDepth24Stencil8 = 0x88F0;
constexpr GLenum kWebglVertexShader = 0x8B31;
constexpr GLenum kWebglFragmentShader = 0x8B30;
constexpr GLenum kWebglCompileStatus = 0x8B81;
constexpr GLenum kWebglLinkStatus = 0x8B82;
constexpr GLenum kWebglTexture0 = 0x84C0;
constexpr GLenum kWebglClampToEdge = 0x812F;
