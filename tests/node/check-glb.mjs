// Prints, for each .glb named on the command line, what the Khronos validator reports and what
// the three.js loader builds: "file F", "errors N", "warnings N", then one line
// "layer L lines S triangles T" per layer node, and "message ..." for every error or warning.
import { readFileSync } from 'node:fs';
import validator from 'gltf-validator';
import { GLTFLoader } from 'three/examples/jsm/loaders/GLTFLoader.js';

async function check(file) {
    const bytes = new Uint8Array(readFileSync(file));
    const report = await validator.validateBytes(bytes, { maxIssues: 100 });
    console.log(`file ${file}`);
    console.log(`errors ${report.issues.numErrors}`);
    console.log(`warnings ${report.issues.numWarnings}`);
    for (const m of report.issues.messages) {
        if (m.severity <= 1) console.log(`message ${m.code} ${m.pointer ?? ''} ${m.message}`);
    }
    const buffer = bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength);
    const gltf = await new Promise((resolve, reject) =>
        new GLTFLoader().parse(buffer, '', resolve, reject));
    const root = gltf.scene.children[0];
    for (const node of root ? root.children : []) {
        const m = /^Layer(\d+)/.exec(node.name);
        let lines = 0, triangles = 0;
        node.traverse((o) => {
            const index = o.geometry?.index;
            if (!index) return;
            if (o.isLineSegments) lines += index.count / 2;
            else if (o.isMesh) triangles += index.count / 3;
        });
        console.log(`layer ${m ? m[1] : -1} lines ${lines} triangles ${triangles}`);
    }
}

for (const file of process.argv.slice(2)) {
    try {
        await check(file);
    } catch (e) {
        console.log(`file ${file}`);
        console.log(`errors 1`);
        console.log(`message LOAD ${e}`);
    }
}
