// The Python module `swatcher`: texture files and graphs built in code,
// rendered into numpy arrays.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>
#include <swatcher/Texture.h>

#include <cstring>
#include <filesystem>

#include "engine/Image.h"
#include "platform/ImageWriter.h"

namespace py = pybind11;
using swatcher::Texture;
using Path = std::filesystem::path;

namespace {

// Renders and other graph work wait for the engine's one lock without the GIL.
using Unlocked = py::call_guard<py::gil_scoped_release>;

// set() takes what swatcher-render --set takes: a whole number or a text.
std::string ValueText(const py::handle& value) {
    if (py::isinstance<py::str>(value)) return value.cast<std::string>();
    if (py::isinstance<py::int_>(value) && !py::isinstance<py::bool_>(value))
        return py::str(value).cast<std::string>();
    throw py::type_error("a parameter's value is a whole number or a text, not " +
                         py::str(py::type::of(value).attr("__name__")).cast<std::string>());
}

// The pixels become the array's own memory, without a copy.
py::array_t<uint8_t> ToArray(swatcher::Pixels pixels) {
    auto* bytes = new std::vector<uint8_t>(std::move(pixels.bytes));
    py::capsule owner(bytes, [](void* p) { delete static_cast<std::vector<uint8_t>*>(p); });
    return py::array_t<uint8_t>({pixels.height, pixels.width, 4}, bytes->data(), owner);
}

py::array_t<uint8_t> Render(Texture& texture, std::optional<int> size, std::optional<int> threads) {
    swatcher::Pixels pixels;
    {
        py::gil_scoped_release unlocked;
        pixels = texture.Render(size, threads);
    }
    return ToArray(std::move(pixels));
}

py::object Info(const Texture& texture) {
    std::string json;
    {
        py::gil_scoped_release unlocked;
        json = texture.InfoJson();
    }
    return py::module_::import("json").attr("loads")(json);
}

std::unique_ptr<Image> ToImage(const py::array& array) {
    const bool shaped = array.ndim() == 3 && array.shape(2) == 4;
    if (!shaped || !py::isinstance<py::array_t<uint8_t>>(array)) {
        const std::string shape = py::str(array.attr("shape")), type = py::str(array.dtype());
        throw py::value_error("write_image needs a (height, width, 4) array of uint8, not " +
                              shape + " of " + type);
    }
    auto pixels = py::array_t<uint8_t, py::array::c_style>::ensure(array);
    const auto height = static_cast<int>(array.shape(0)), width = static_cast<int>(array.shape(1));
    std::unique_ptr<Image> image = Image::Create(width, height);
    if (!image)
        throw py::value_error("cannot make a " + std::to_string(width) + " x " +
                              std::to_string(height) + " image");
    std::memcpy(image->bytes(), pixels.data(), image->byteCount());
    return image;
}

void WriteImage(const py::array& array, const Path& path) {
    const std::string name = path.string();
    if (ImageFileTypeOf(name) == ImageFileType::kUnknown)
        throw py::value_error("cannot tell the format of '" + name + "' (use .png, .bmp or .jpg)");
    std::unique_ptr<Image> image = ToImage(array);
    // The image library is not thread-safe: writes keep the GIL.
    InitImageLibrary();
    std::string error;
    if (!WriteImageFile(name, *image, image->width, image->height, &error))
        throw swatcher::FileError(error);
}

void TranslateErrors(std::exception_ptr error) {
    try {
        if (error) std::rethrow_exception(error);
    } catch (const swatcher::FileError& e) {
        PyErr_SetString(PyExc_OSError, e.what());
    } catch (const swatcher::UsageError& e) {
        PyErr_SetString(PyExc_ValueError, e.what());
    }
}

}  // namespace

PYBIND11_MODULE(swatcher, m) {
    m.doc() = "Swatcher's texture engine: load or build texture graphs and render them.";
    py::register_exception_translator(TranslateErrors);

    py::class_<Texture>(m, "Texture", "A texture graph: its nodes, cables and size.")
        .def(py::init<int>(), py::arg("size") = 64,
             "A new graph of size x size pixels holding only its Store node.")
        .def_property_readonly("width", &Texture::width)
        .def_property_readonly("height", &Texture::height)
        .def("info", &Info, "The graph as swatcher-render --info gives it, as a dict.")
        .def(
            "set",
            [](Texture& t, const std::string& key, const py::handle& value) {
                std::string text = ValueText(value);
                py::gil_scoped_release unlocked;
                t.Set(key, text);
            },
            py::arg("key"), py::arg("value"),
            "Sets a parameter: key NODE.PARAM and value as swatcher-render --set takes them.")
        .def("add_node", &Texture::AddNode, py::arg("type_name"), Unlocked(),
             "Adds a node of the named type; returns its index.")
        .def("connect", &Texture::Connect, py::arg("from_node"), py::arg("to_node"),
             py::arg("to_pin") = 0, Unlocked(),
             "Joins from_node's output to input to_pin of to_node, which must be free.")
        .def("render", &Render, py::arg("size") = py::none(), py::arg("threads") = py::none(),
             "Renders (optionally at size x size, on that many threads) into a (height, width, "
             "4) uint8 array: red, green, blue and the fourth byte as stored.")
        .def(
            "save", [](const Texture& t, const Path& path) { t.Save(path.string()); },
            py::arg("path"), Unlocked(), "Writes a texture file (.mtf).");

    m.def(
        "load", [](const Path& path) { return Texture::Load(path.string()); }, py::arg("path"),
        Unlocked(), "Loads a texture file (.mtf).");
    m.def("node_types", &swatcher::NodeTypes, "The node type names add_node accepts.");
    m.def("write_image", &WriteImage, py::arg("array"), py::arg("path"),
          "Writes a (height, width, 4) uint8 array as a PNG, BMP or JPEG file.");
}
