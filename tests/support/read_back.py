#!/usr/bin/python3
# SPDX-License-Identifier: Apache-2.0
"""Reads a file the viewer saved with independent readers from Debian and prints a JSON summary.

usage: read_back.py cloud|obj|tiff|image|csv|jxr PATH
  cloud (PCD, PLY: Open3D), obj (assimp converts to PLY, then Open3D): count, min, max, first
  tiff (tifffile), jxr (JxrDecApp to TIFF, then tifffile): shape, dtype, compression, bigtiff, tags
      (ImageDescription, DateTime, Software), samples
  image (Pillow): mode, size, text (PNG text chunks), samples
  csv (numpy): shape, samples (null for nan)
"""
import json
import os
import subprocess
import sys
import tempfile

import numpy as np


def cloud(path):
    import open3d as o3d
    points = np.asarray(o3d.io.read_point_cloud(path).points)
    summary = {"count": len(points)}
    if len(points):
        summary.update(min=points.min(0).tolist(), max=points.max(0).tolist(), first=points[0].tolist())
    return summary


def obj(path):
    with tempfile.TemporaryDirectory() as folder:
        ply = os.path.join(folder, "cloud.ply")
        subprocess.run(["assimp", "export", path, ply], check=True, capture_output=True)
        return cloud(ply)


def tiff(path):
    import tifffile
    with tifffile.TiffFile(path) as f:
        page = f.pages[0]
        data = page.asarray()
        tags = {name: page.tags[name].value for name in ("ImageDescription", "DateTime", "Software")
                if name in page.tags}
        return {"shape": list(data.shape), "dtype": str(data.dtype), "compression": int(page.compression),
                "bigtiff": bool(f.is_bigtiff), "tags": tags, "samples": data.ravel().tolist()}


def jxr(path):
    with tempfile.TemporaryDirectory() as folder:
        out = os.path.join(folder, "decoded.tif")
        subprocess.run(["JxrDecApp", "-i", path, "-o", out], check=True, capture_output=True)
        return tiff(out)


def image(path):
    from PIL import Image
    with Image.open(path) as img:
        text = {k: v for k, v in getattr(img, "text", {}).items()}
        return {"mode": img.mode, "size": list(img.size), "text": text, "samples": np.asarray(img).ravel().tolist()}


def csv(path):
    data = np.atleast_2d(np.genfromtxt(path, delimiter=","))
    return {"shape": list(data.shape), "samples": [None if np.isnan(v) else v for v in data.ravel().tolist()]}


if __name__ == "__main__":
    print(json.dumps(globals()[sys.argv[1]](sys.argv[2])))
