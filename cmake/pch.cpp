// The target that owns the shared precompiled standard headers.
