'use strict';
// npm install's step: compiles build/kvdui.node with the system's C++ compiler, against the SDK that
// pkg-config finds (kvdui.pc) and Node's headers. An installed package has its kvdui.node already, and
// KVDUI_NODE_ADDON names one built elsewhere: then there is nothing to do.
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');

if (fs.existsSync(path.join(__dirname, 'kvdui.node')) || process.env.KVDUI_NODE_ADDON) process.exit(0);

function fail(message) {
    console.error(`kvdui: cannot build the addon: ${message}`);
    process.exit(1);
}

function pkgConfig(option) {
    try {
        return execFileSync('pkg-config', [option, 'kvdui'], { encoding: 'utf8' }).trim();
    } catch {
        return fail('pkg-config does not find kvdui. Install the SDK (cmake --install build --prefix PREFIX)'
            + ' and set PKG_CONFIG_PATH=PREFIX/lib/pkgconfig');
    }
}

const cflags = pkgConfig('--cflags').split(/\s+/).filter(Boolean);
const libdir = fs.realpathSync(pkgConfig('--variable=libdir'));
const include = [process.env.KVDUI_NODE_INCLUDE, path.join(process.execPath, '..', '..', 'include', 'node'),
    '/usr/include/node'].find((folder) => folder && fs.existsSync(path.join(folder, 'node_api.h')));
if (!include) fail("no node_api.h: install Node's headers (Debian: libnode-dev) or set KVDUI_NODE_INCLUDE");

const compiler = process.env.CXX || 'c++';
const output = path.join(__dirname, 'build', 'kvdui.node');
fs.mkdirSync(path.dirname(output), { recursive: true });
// The library is opened at run time by name; the RUNPATH lets that find the SDK's copy.
const args = ['-std=c++17', '-O2', '-Wall', '-Wextra', '-shared', '-fPIC', '-fvisibility=hidden',
    '-DNAPI_VERSION=8', `-I${include}`, ...cflags, path.join(__dirname, 'src', 'kvdui_node.cpp'),
    path.join(__dirname, 'src', 'KvduiNodeSystemPosix.cpp'),
    '-o', output, `-Wl,-rpath,${libdir}`, '-ldl'];
try {
    execFileSync(compiler, args, { stdio: 'inherit' });
} catch {
    fail(`${compiler} ${args.join(' ')} failed`);
}
