// The 3D view of a converted drawing, from its binary glTF: orbit, pan and zoom, fitted to the
// drawing, with its layers to show or hide.
import * as THREE from 'three';
import { OrbitControls } from './addons/controls/OrbitControls.js';
import { GLTFLoader } from './addons/loaders/GLTFLoader.js';

export class Preview {
  constructor(canvas, layerList, counts) {
    this.canvas = canvas;
    this.layerList = layerList;
    this.counts = counts;
    this.renderer = new THREE.WebGLRenderer({ canvas, antialias: true, preserveDrawingBuffer: true });
    this.scene = new THREE.Scene();
    this.setDark(false);
    this.camera = new THREE.PerspectiveCamera(45, 1, 0.01, 1e7);
    this.controls = new OrbitControls(this.camera, canvas);
    this.controls.addEventListener('change', () => this.render());
    this.root = null;
    new ResizeObserver(() => this.resize()).observe(canvas);
  }

  setDark(dark) {
    this.scene.background = new THREE.Color(dark ? 0x000000 : 0xffffff);
    this.render();
  }

  resize() {
    const w = this.canvas.clientWidth;
    const h = this.canvas.clientHeight;
    if (w === 0 || h === 0) return;
    this.renderer.setSize(w, h, false);
    this.camera.aspect = w / h;
    this.camera.updateProjectionMatrix();
    this.render();
  }

  render() {
    if (this.camera) this.renderer.render(this.scene, this.camera);
  }

  async show(bytes, name) {
    const gltf = await new GLTFLoader().parseAsync(bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength), '');
    if (this.root) {
      this.scene.remove(this.root);
      this.root.traverse((o) => {
        if (o.geometry) o.geometry.dispose();
      });
    }
    this.root = gltf.scene;
    this.parser = gltf.parser;
    this.scene.add(this.root);
    let segments = 0;
    let faces = 0;
    this.root.traverse((o) => {
      const g = o.geometry;
      if (!g) return;
      const n = g.index ? g.index.count : g.attributes.position.count;
      if (o.isLineSegments) segments += n / 2;
      else if (o.isMesh) faces += n / 3;
    });
    this.counts.textContent = `${name}: 線分 ${segments} 本、面 ${faces} 枚`;
    this.counts.dataset.segments = String(segments);
    this.counts.dataset.faces = String(faces);
    this.listLayers();
    this.fit();
  }

  // One node per layer under the drawing's node, named by number and name.
  listLayers() {
    this.layerList.textContent = '';
    const drawing = this.root.children[0];
    if (!drawing) return;
    for (const layer of drawing.children) {
      const li = document.createElement('li');
      const label = document.createElement('label');
      const box = document.createElement('input');
      box.type = 'checkbox';
      box.checked = true;
      box.addEventListener('change', () => {
        layer.visible = box.checked;
        this.render();
      });
      // The loader makes names safe for animation paths (spaces become "_"): show the file's own.
      const ref = this.parser.associations.get(layer);
      const own = ref && ref.nodes !== undefined ? this.parser.json.nodes[ref.nodes].name : layer.name;
      label.append(box, own);
      li.appendChild(label);
      this.layerList.appendChild(li);
    }
  }

  fit() {
    if (!this.root) return;
    const box = new THREE.Box3().setFromObject(this.root);
    if (box.isEmpty()) {
      this.render();
      return;
    }
    const center = box.getCenter(new THREE.Vector3());
    const size = box.getSize(new THREE.Vector3());
    const radius = Math.max(size.length() / 2, 1e-3);
    const dist = radius / Math.sin((this.camera.fov * Math.PI) / 360);
    // A drawing lies in the ground plane (glTF is Y up): look down on it.
    this.camera.position.set(center.x, center.y + dist, center.z + dist * 1e-3);
    this.camera.near = dist / 1000;
    this.camera.far = dist * 10;
    this.camera.updateProjectionMatrix();
    this.controls.target.copy(center);
    this.controls.update();
    this.resize();
  }
}
