#!/usr/bin/env python3
# Usage: render-icon.py heulmeister.svg heulmeister 32 64 256
# Renders the SVG icon to PNGs through librsvg and cairo (no Python bindings needed).
import ctypes, sys
rsvg = ctypes.CDLL("librsvg-2.so.2")
cairo = ctypes.CDLL("libcairo.so.2")
rsvg.rsvg_handle_new_from_file.restype = ctypes.c_void_p
rsvg.rsvg_handle_new_from_file.argtypes = [ctypes.c_char_p, ctypes.c_void_p]
cairo.cairo_image_surface_create.restype = ctypes.c_void_p
cairo.cairo_create.restype = ctypes.c_void_p
cairo.cairo_create.argtypes = [ctypes.c_void_p]
cairo.cairo_scale.argtypes = [ctypes.c_void_p, ctypes.c_double, ctypes.c_double]
rsvg.rsvg_handle_render_cairo.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
cairo.cairo_surface_write_to_png.argtypes = [ctypes.c_void_p, ctypes.c_char_p]
cairo.cairo_destroy.argtypes = [ctypes.c_void_p]
cairo.cairo_surface_destroy.argtypes = [ctypes.c_void_p]
src = sys.argv[1]
h = rsvg.rsvg_handle_new_from_file(src.encode(), None)
assert h
for size in map(int, sys.argv[3:]):
    s = cairo.cairo_image_surface_create(0, size, size)  # ARGB32
    cr = cairo.cairo_create(s)
    cairo.cairo_scale(cr, size / 256.0, size / 256.0)
    assert rsvg.rsvg_handle_render_cairo(h, cr)
    out = f"{sys.argv[2]}-{size}.png"
    cairo.cairo_surface_write_to_png(s, out.encode())
    cairo.cairo_destroy(cr); cairo.cairo_surface_destroy(s)
    print(out)
