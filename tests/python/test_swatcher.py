"""The swatcher module against swatcher-render: same bytes, same messages."""
import json
import os
import re
import subprocess
import sys
import threading
from pathlib import Path

import numpy
import pytest
import swatcher

RENDER = os.environ["SWATCHER_RENDER"]
SOURCE = Path(os.environ["SWATCHER_SOURCE_DIR"])
EXAMPLES = sorted((SOURCE / "examples").glob("*.mtf"))
CLOUDS = SOURCE / "examples" / "perlin-clouds.mtf"


def cli(*args):
    return subprocess.run([RENDER, *map(str, args)], capture_output=True, text=True)


def cli_rgba(tmp_path, path, size, *settings):
    out = tmp_path / "cli.rgba"
    sets = [a for s in settings for a in ("--set", s)]
    assert cli(path, out, "--size", size, *sets).returncode == 0
    return numpy.fromfile(out, numpy.uint8).reshape(size, size, 4)


@pytest.mark.parametrize("path", EXAMPLES, ids=lambda p: p.stem)
def test_example_renders_and_info_match_the_cli(tmp_path, path):
    texture = swatcher.load(path)
    assert texture.info() == json.loads(cli("--info", path).stdout)
    pixels = texture.render(size=64, threads=2)
    assert pixels.shape == (64, 64, 4) and pixels.dtype == numpy.uint8
    numpy.testing.assert_array_equal(pixels, cli_rgba(tmp_path, path, 64))


def clouds_and_text():
    texture = swatcher.Texture(size=32)
    assert texture.add_node("perlin NOISE") == 1 and texture.add_node("Text") == 2
    return texture


@pytest.mark.parametrize(
    "key, value, node, param, field, expected",
    [
        ("Perlin noise.Random", 7, 1, "Random", "value", 7),
        ("1.0", "-3", 1, 0, "value", "min"),  # by index, clamped
        ("1.Color", "r+g+b", 1, "Color", "text", "R+G+B"),
        ("Text.Color", 2, 2, "Color", "text", "Blue"),
        ("Text.Text", "Hello. World=1", 2, "Text", "value", "Hello. World=1"),
    ],
)
def test_set_by_name_and_index(key, value, node, param, field, expected):
    texture = clouds_and_text()
    texture.set(key, value)
    params = texture.info()["nodes"][node]["params"]
    found = params[param] if isinstance(param, int) else next(p for p in params if p["name"] == param)
    assert found[field] == (found[expected] if expected in ("min", "max") else expected)


@pytest.mark.parametrize(
    "key, value",
    [("Nope.Random", 1), ("Perlin noise.Nope", 1), ("Perlin noise.Random", "x"), ("1.Color", "Pink"),
     ("Random", 1)],
)
def test_set_errors_are_the_clis(tmp_path, key, value):
    texture = clouds_and_text()
    texture.save(tmp_path / "t.mtf")
    with pytest.raises(ValueError) as error:
        texture.set(key, value)
    result = cli("--info", tmp_path / "t.mtf", "--set", f"{key}={value}")
    assert result.returncode == 1
    assert re.sub(r" \(see --help\)$", "", result.stderr.strip()).endswith(str(error.value))


@pytest.mark.parametrize(
    "call, kind, message",
    [
        (lambda t: swatcher.load("/nonexistent.mtf"), OSError, "Cannot open file /nonexistent.mtf"),
        (lambda t: t.save("/nonexistent/t.mtf"), OSError, "Cannot open file /nonexistent/t.mtf"),
        (lambda t: swatcher.Texture(0), ValueError, "size 0 is not in range [1 - 8192]"),
        (lambda t: t.render(size=8193), ValueError, "size 8193 is not in range [1 - 8192]"),
        (lambda t: t.render(threads=0), ValueError, "threads 0 is not in range [1 - 1024]"),
        (lambda t: t.set("1.Random", 1.5), TypeError, "whole number or a text, not float"),
        (lambda t: t.add_node("Store"), ValueError, "no node type 'Store' (types: 'Raw Noise', "),
        (lambda t: t.connect(1, 3), ValueError, "no node 3 (nodes: 0 'Store', 1 'Perlin noise'"),
        (lambda t: t.connect(0, 1), ValueError, "node 1 'Perlin noise' has no input pin 0 (inputs: none)"),
        (lambda t: [t.connect(1, 0), t.connect(2, 0)], ValueError,
         "input 0 'Source' of node 0 'Store' already holds a cable"),
        (lambda t: swatcher.write_image(numpy.zeros((2, 2, 3), numpy.uint8), "/tmp/x.png"),
         ValueError, "needs a (height, width, 4) array of uint8, not (2, 2, 3) of uint8"),
        (lambda t: swatcher.write_image(numpy.zeros((2, 2, 4)), "/tmp/x.png"),
         ValueError, "needs a (height, width, 4) array of uint8, not (2, 2, 4) of float64"),
        (lambda t: swatcher.write_image(numpy.zeros((2, 2, 4), numpy.uint8), "/tmp/x.gif"),
         ValueError, "cannot tell the format of '/tmp/x.gif' (use .png, .bmp or .jpg)"),
    ],
)
def test_errors(call, kind, message):
    with pytest.raises(kind) as error:
        call(clouds_and_text())
    assert message in str(error.value)


def test_graph_built_in_code_renders_like_its_file(tmp_path):
    texture = swatcher.Texture(size=16)
    perlin, blur = texture.add_node("Perlin noise"), texture.add_node("Blur")
    texture.connect(perlin, blur)
    texture.connect(blur, 0, to_pin=0)
    texture.set("Perlin noise.Color", "R+G+B")
    texture.set("Blur.0", 3)
    texture.save(tmp_path / "built.mtf")
    pixels = texture.render(size=48)
    numpy.testing.assert_array_equal(pixels, cli_rgba(tmp_path, tmp_path / "built.mtf", 48))
    assert pixels.any()
    swatcher.write_image(pixels, tmp_path / "py.png")
    assert cli(tmp_path / "built.mtf", tmp_path / "cli.png", "--size", 48).returncode == 0
    assert (tmp_path / "py.png").read_bytes() == (tmp_path / "cli.png").read_bytes()


def test_renders_from_two_threads_are_serialised(tmp_path):
    textures = [swatcher.load(CLOUDS), swatcher.load(SOURCE / "examples" / "subplasma.mtf")]
    expected = [t.render(threads=1) for t in textures]
    results = [[], []]

    def render(i):
        for _ in range(4):
            results[i].append(textures[i].render(threads=1))

    threads = [threading.Thread(target=render, args=(i,)) for i in (0, 1)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    for want, got in zip(expected, results):
        assert len(got) == 4 and all(numpy.array_equal(want, g) for g in got)


def readme_scripts():
    text = (SOURCE / "README.md").read_text()
    section = text.split("\n## From Python\n")[1].split("\n## ")[0]
    scripts = re.findall(r"```python\n(.*?)```", section, re.S)
    return [pytest.param(s, id=f"readme-{i}") for i, s in enumerate(scripts, 1)]


@pytest.mark.parametrize("script", readme_scripts())
def test_readme_examples_run(tmp_path, script):
    if "distributed" in script:
        pytest.importorskip("distributed")
    (tmp_path / "example.py").write_text(script)
    (tmp_path / "clouds.mtf").write_bytes(CLOUDS.read_bytes())
    env = dict(os.environ, PYTHONPATH=os.pathsep.join(sys.path))
    result = subprocess.run([sys.executable, "example.py"], cwd=tmp_path, env=env,
                            capture_output=True, text=True, timeout=300)
    assert result.returncode == 0, result.stderr
